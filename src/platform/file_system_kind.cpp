#include "platform/file_system_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <fstream>
#include <sstream>

#include "platform/entry_id.h"
#include "platform/file_system_name.h"

namespace corvane {

namespace {

constexpr uint64_t kOverlayMagic = 0x794C7630ULL;

StatfsAnswer& InstalledAnswer() {
  static StatfsAnswer answer;
  return answer;
}

// Mount points in mountinfo escape blanks, tabs, newlines and backslashes as
// three octal digits.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool Holds(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
         (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

// The line of the mount numbered `mountId`:
// "id parent major:minor root mount-point options [optional...] - type ...".
std::optional<std::string> MountLine(const std::string& mountinfo, uint64_t mountId) {
  const std::string id = std::to_string(mountId) + " ";
  std::istringstream lines(mountinfo);
  for (std::string line; std::getline(lines, line);)
    if (line.compare(0, id.size(), id) == 0) return line;
  return std::nullopt;
}

}  // namespace

FileSystemKind ClassifyFileSystem(uint64_t type) {
  switch (type) {
    case kOverlayMagic:
      return {"overlay", true};
    case 0x9123683EULL:
      return {"btrfs", true, true};
    case 0x2FC12FC1ULL:
      return {"zfs", true};
    case 0xF2F52010ULL:
      return {"f2fs", true, true};
    case 0x3434ULL:
      return {"nilfs2", true};
    case 0xCA451A4EULL:
      return {"bcachefs", true};
    case 0x6969ULL:
      return {"nfs", true};
    case 0x517BULL:
      return {"smb", true};
    case 0xFF534D42ULL:
      return {"cifs", true};
    case 0xFE534D42ULL:
      return {"smb2", true};
    case 0x65735546ULL:
      return {"fuse", true};
    case 0xEF53ULL:
      return {"ext4/ext3/ext2", false, true};
    case 0x58465342ULL:
      return {"xfs", false, true};
    case 0x4D44ULL:
      return {"vfat", false};
    case 0x2011BAB0ULL:
      return {"exfat", false};
    case 0x01021994ULL:
      return {"tmpfs", false, true};
    case 0x3153464AULL:
      return {"jfs", false};
    case 0x7366746EULL:
      return {"ntfs3", false};
    case 0x482BULL:
      return {"hfsplus", false};
    case 0x858458F6ULL:
      return {"ramfs", false};
    default:
      return {"", true};  // not known to overwrite in place
  }
}

void SetStatfsAnswer(StatfsAnswer answer) {
  InstalledAnswer() = std::move(answer);
}

std::optional<uint64_t> StatfsType(int fd) {
  if (InstalledAnswer()) return InstalledAnswer()(fd);
  struct statfs info {};
  if (::fstatfs(fd, &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.f_type);
}

OverlayLayer OverlayLayerOf(int dirfd, const char* name) {
  struct statfs fs {};
  if (::fstatfs(dirfd, &fs) != 0 || static_cast<uint64_t>(fs.f_type) != kOverlayMagic)
    return OverlayLayer::kNone;
  // The overlay's handle for a file names the real file it stands for, upper
  // or lower, and says which. Its layout is the one the overlay itself keeps
  // on disk in its origin and index records, so it does not drift.
  constexpr int kHandleFid = 0x200;  // AT_HANDLE_FID: an identifying handle, Linux 6.5
  constexpr int kFileIdV0 = 0xfb, kFileIdV1 = 0xf8;  // without, and after, 3 bytes of padding
  constexpr unsigned char kMagic = 0xfb, kUpperFlag = 1 << 2;
  alignas(file_handle) unsigned char buffer[sizeof(file_handle) + MAX_HANDLE_SZ];
  auto* handle = reinterpret_cast<file_handle*>(buffer);
  handle->handle_bytes = MAX_HANDLE_SZ;
  int mount = 0;
  if (::name_to_handle_at(dirfd, name, handle, &mount, kHandleFid) != 0 &&
      (errno != EINVAL || ::name_to_handle_at(dirfd, name, handle, &mount, 0) != 0))
    return OverlayLayer::kUnknown;
  // version, magic, length, flags...
  const unsigned char* fb =
      buffer + offsetof(file_handle, f_handle) + (handle->handle_type == kFileIdV1 ? 3 : 0);
  if ((handle->handle_type != kFileIdV0 && handle->handle_type != kFileIdV1) ||
      handle->handle_bytes < 7 || fb[1] != kMagic)
    return OverlayLayer::kUnknown;
  return (fb[3] & kUpperFlag) != 0 ? OverlayLayer::kUpper : OverlayLayer::kLower;
}

std::string MountInfoText() {
  std::ifstream in("/proc/self/mountinfo", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string MountPointOf(const std::string& mountinfo, uint64_t mountId) {
  const std::optional<std::string> line = MountLine(mountinfo, mountId);
  if (!line) return {};
  std::istringstream fields(*line);
  std::string number, parent, numbers, root, mountPoint;
  return fields >> number >> parent >> numbers >> root >> mountPoint ? Unescape(mountPoint) : "";
}

std::string MountTypeOf(const std::string& mountinfo, uint64_t mountId) {
  const std::optional<std::string> line = MountLine(mountinfo, mountId);
  const size_t dash = line ? line->find(" - ") : std::string::npos;
  if (dash == std::string::npos) return {};
  std::istringstream rest(line->substr(dash + 3));
  std::string type;
  rest >> type;
  return type;
}

std::string MountPointIn(const std::string& mountinfo, dev_t device, const std::string& path) {
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  std::string byDevice, byPrefix;
  bool byDeviceHolds = false;
  std::istringstream lines(mountinfo);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, mountPoint;
    if (!(fields >> id >> parent >> numbers >> root >> mountPoint)) continue;
    mountPoint = Unescape(mountPoint);
    const bool holds = Holds(mountPoint, path);
    // Of the mounts of that device, one that holds the path, the longest.
    if (numbers == wanted &&
        (byDevice.empty() || (holds && (!byDeviceHolds || mountPoint.size() > byDevice.size())))) {
      byDevice = mountPoint;
      byDeviceHolds = holds;
    }
    if (holds && mountPoint.size() > byPrefix.size()) byPrefix = mountPoint;
  }
  return byDevice.empty() ? byPrefix : byDevice;
}

void FileSystemTally::Note(const std::string& path) {
  int fd = ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  Note(fd, path);
  ::close(fd);
}

std::vector<ContentAtRisk> FileSystemTally::AtRisk() const {
  std::vector<ContentAtRisk> counted;
  for (const ContentAtRisk& place : atRisk_)
    if (place.files > 0) counted.push_back(place);
  return counted;
}

std::optional<size_t> FileSystemTally::Place(int fd, const std::string& path) {
  EntryInfo info;
  if (ReadEntry(fd, "", info, kNoOpen) != 0 || !S_ISREG(info.mode)) return std::nullopt;
  auto known = byDevice_.find(info.id.dev);
  if (known == byDevice_.end()) {
    std::optional<size_t> index;
    std::optional<uint64_t> type = StatfsType(fd);
    FileSystemKind kind = type ? ClassifyFileSystem(*type) : FileSystemKind{"", true};
    if (kind.keepsOldContent) {
      if (!mountinfo_) mountinfo_ = MountInfoText();
      std::string name = kind.name.empty() ? FileSystemNameOf(fd) : kind.name;
      std::string mountPoint = MountPointOf(*mountinfo_, info.mount_id);
      if (mountPoint.empty())
        mountPoint =
            MountPointIn(*mountinfo_, makedev(info.id.dev >> 20, info.id.dev & 0xFFFFF), path);
      index = atRisk_.size();
      atRisk_.push_back({name.empty() ? "an unknown file system" : name, mountPoint, 0,
                         path.substr(0, std::max<size_t>(path.find_last_of('/'), 1)),
                         makedev(info.id.dev >> 20, info.id.dev & 0xFFFFF)});
    }
    known = byDevice_.emplace(info.id.dev, index).first;
  }
  return known->second;
}

}  // namespace corvane
