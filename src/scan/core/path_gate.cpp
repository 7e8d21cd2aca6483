#include "scan/core/path_gate.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/entry_id.h"
#include "platform/file_system_kind.h"
#include "platform/held_fd.h"
#include "platform/home_folder.h"
#include "platform/modal.h"
#include "platform/own_links.h"
#include "platform/path_text.h"
#include "platform/paths.h"
#include "scan/core/tree_walk.h"

namespace corvane {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";
constexpr char kLinkReason[] = "It is a symbolic link, not a folder of its own.";
constexpr char kNotFolderReason[] = "It is not a folder.";

std::string UnreadableReason(int error) {
  return std::string("It cannot be read: ") + std::strerror(error) + ".";
}

std::optional<EntryId> IdentityOf(const std::string& path) {
  EntryInfo info;
  if (path.empty() || ReadEntry(AT_FDCWD, path.c_str(), info, kFollowLinks | kNoOpen) != 0)
    return std::nullopt;
  return info.id;
}

// True when `target` is `folder` or one of the folders above it: walks up from
// `folder` through ".." until the root, whose ".." is itself.
bool IsOrHolds(const EntryId& target, const std::string& folder) {
  std::string path = folder;
  std::optional<EntryId> current = IdentityOf(path);
  for (int depth = 0; current && depth < 4096; ++depth) {
    if (SameEntry(target, *current)) return true;
    path += "/..";
    std::optional<EntryId> parent = IdentityOf(path);
    if (!parent || SameEntry(*current, *parent)) return false;  // the root
    current = parent;
  }
  return false;
}

// The shown forms of `folder`'s entries, counted, read once per rules.
const std::unordered_map<std::string, int>& ShownIn(const std::string& folder, ShownNames& cache) {
  auto [it, fresh] = cache.byFolder.try_emplace(folder);
  if (!fresh) return it->second;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (struct dirent* e = ::readdir(dir)) ++it->second[DisplayForm(e->d_name)];
    ::closedir(dir);
  }
  return it->second;
}

// True when another entry of `folder` shows the same as `name`. Only a name
// that is not valid text can: it shows with replacement characters.
bool LooksLikeAnother(const std::string& folder, const std::string& name, ShownNames& cache) {
  const std::string shown = DisplayForm(name);
  if (shown.find(kReplacement) == std::string::npos) return false;
  const std::unordered_map<std::string, int>& counts = ShownIn(folder, cache);
  const auto it = counts.find(shown);
  // `name` itself is among them when it exists.
  struct stat st {};
  const bool exists =
      ::fstatat(AT_FDCWD, JoinPath(folder, name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  return it != counts.end() && it->second > (exists ? 1 : 0);
}

std::optional<std::string> LookAlikeRefusal(const std::string& path, ShownNames& cache) {
  std::string folder = IsAbsolutePath(path) ? "/" : ".";
  for (const std::string& part : PathComponents(path)) {
    if (LooksLikeAnother(folder, part, cache))
      return "Another entry in its folder shows the same name (" + DisplayForm(part) +
             "), so which one was picked cannot be told.";
    folder = JoinPath(folder, part);
  }
  return std::nullopt;
}

// What `path` names, read by its spelling: only to call it a file or a
// folder in a refusal that comes before the entry is reached.
GateKind KindBySpelling(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return GateKind::kMissing;
  return S_ISDIR(st.st_mode) ? GateKind::kFolder : GateKind::kFile;
}

std::optional<std::string> IdentityRefusal(const EntryId& id, const std::string& path,
                                           const GateRules& rules) {
  auto is = [&id](const std::string& path) {
    const std::optional<EntryId> other = IdentityOf(path);
    return other && SameEntry(*other, id);
  };
  if (is("/")) return "It is the root of the file system.";
  for (const std::string& home : rules.homes)
    if (is(home)) return "It is your home folder.";
  for (const std::string& folder : rules.programFolders) {
    if (is(folder)) return "It is the folder of Corvane and its settings.";
    if (IsOrHolds(id, folder)) return "It holds the folder of Corvane and its settings.";
  }
  for (const std::string& folder : rules.remoteCopyFolders) {
    const std::optional<EntryId> copies = IdentityOf(folder);
    if (copies && (SameEntry(*copies, id) || IsOrHolds(*copies, ParentFolder(path))))
      return "It is a local copy of a remote file: destroying it would leave the original "
             "where it is.";
  }
  return std::nullopt;
}

// The verdict on the last component `name` of the folder open at `parent`.
void Judge(int parent, const std::string& name, const GateRules& rules, bool folderWanted,
           GateVerdict& verdict) {
  EntryInfo st;
  const bool root = name.empty();
  // Missing: nothing to protect.
  if ((verdict.error = ReadEntry(parent, name.c_str(), st, kNoOpen)) != 0) return;
  verdict.kind = S_ISDIR(st.mode) ? GateKind::kFolder : GateKind::kFile;
  if (folderWanted && verdict.kind != GateKind::kFolder) {
    verdict.refusal = S_ISLNK(st.mode) ? kLinkReason : kNotFolderReason;
    return;
  }
  if ((verdict.refusal = IdentityRefusal(st.id, verdict.path, rules))) return;
  // A link is destroyed as itself: what matters is where the link lies.
  const HeldFd fd(root || S_ISLNK(st.mode)
                      ? ::dup(parent)
                      : ::openat(parent, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return;
  const std::string type = rules.fileSystemName ? rules.fileSystemName(fd.get()) : std::string();
  if (FileSystemKindNamed(type).pseudo) {
    verdict.refusal = "It lies on " + type + ", a file system the kernel makes up, which holds " +
                      "no files to destroy.";
    return;
  }
  // Only an open tells: root passes any mode, and a file that cannot be read
  // may still be unlinked, so only folders are tried.
  if (verdict.kind != GateKind::kFolder) return;
  const HeldFd dir(
      ::openat(parent, root ? "." : name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (dir.get() < 0) verdict.refusal = UnreadableReason(errno);
}

}  // namespace

GateRules ProgramGateRules(const std::string& settingsFile) {
  GateRules rules;
  rules.homes = HomeFolders();
  rules.programFolders.push_back(ExecutableDirectory());
  if (!settingsFile.empty()) rules.programFolders.push_back(ParentFolder(settingsFile));
  for (const std::string& cache : CacheFolders())
    rules.remoteCopyFolders.push_back(cache + "/kioexec");
  rules.user = ::getuid();
  rules.fileSystemName = FileSystemNameOf;
  return rules;
}

GateVerdict PassGate(const std::string& path, const GateRules& rules, bool folderWanted) {
  GateVerdict verdict;
  verdict.path = NormalPath(path);
  if ((verdict.refusal = LookAlikeRefusal(verdict.path, *rules.shownNames))) {
    verdict.kind = KindBySpelling(verdict.path);
    return verdict;
  }
  const std::string name(LastComponent(verdict.path));  // "" for the root
  FolderOpening parent = OpenFolderByOwnLinks(ParentFolder(verdict.path), rules.user, O_PATH);
  const HeldFd held(parent.fd);
  if (!parent.foreignLink.empty()) {
    verdict.refusal = "It lies behind the symbolic link " + DisplayForm(parent.foreignLink) +
                      ", which belongs to another user.";
    verdict.kind = KindBySpelling(verdict.path);
    return verdict;
  }
  if (parent.fd < 0) {  // cannot be reached: nothing to list
    verdict.error = parent.error;
    return verdict;
  }
  Judge(held.get(), name, rules, folderWanted, verdict);
  return verdict;
}

RefusalBox RefusalBoxFor(const GateVerdict& verdict, bool folderWanted) {
  RefusalNotice notice(folderWanted);
  notice.Add(verdict);
  return *notice.Take();
}

void RefusalNotice::Add(GateVerdict verdict) {
  if (folderWanted_) verdict.kind = GateKind::kFolder;
  refused_.push_back(std::move(verdict));
}

void RefusalNotice::AddMissing(const std::string& handed, int error) {
  Add({handed, GateKind::kMissing,
       error == ENOENT || error == ENOTDIR || error == 0 ? "No such file or folder exists."
                                                         : UnreadableReason(error)});
}

std::optional<RefusalBox> RefusalNotice::Take() {
  if (refused_.empty()) return std::nullopt;
  std::vector<GateVerdict> refused;
  refused.swap(refused_);  // the box may pump events that hand more paths
  auto word = [](GateKind kind, bool several) -> std::string {
    switch (kind) {
      case GateKind::kFile:
        return several ? "Files" : "File";
      case GateKind::kFolder:
        return several ? "Folders" : "Folder";
      case GateKind::kMissing:
        break;
    }
    return several ? "Paths" : "Path";
  };
  if (refused.size() == 1) {
    const GateVerdict& verdict = refused[0];
    const std::string what = word(verdict.kind, false);
    return RefusalBox{"This " + what + " Cannot Be Destroyed!\n" + DisplayForm(verdict.path) +
                          "\n" + verdict.refusal.value_or(""),
                      kMbStop, "Corvane - " + what + " Refused"};
  }
  const bool oneKind = std::all_of(refused.begin(), refused.end(),
                                   [&](const GateVerdict& v) { return v.kind == refused[0].kind; });
  const std::string what = oneKind ? word(refused[0].kind, true) : "Entries";
  std::vector<std::string> lines;
  for (size_t i = 0; i < refused.size() && i < kEntriesNamed; ++i)
    lines.push_back(DisplayForm(refused[i].path) + " (" + refused[i].refusal.value_or("") + ")");
  return RefusalBox{std::to_string(refused.size()) + " " + what + " Cannot Be Destroyed!" +
                        NamedLines(lines, refused.size()),
                    kMbStop, "Corvane - " + what + " Refused"};
}

std::string WalkRefusalReason(const TreeListing& listing) {
  switch (listing.refusal) {
    case WalkRefusal::kNone:
      break;
    case WalkRefusal::kMissing:
      return "It is no longer there.";
    case WalkRefusal::kSymlink:
      return kLinkReason;
    case WalkRefusal::kNotDirectory:
      return kNotFolderReason;
    case WalkRefusal::kUnreadable:
      return UnreadableReason(listing.error);
    case WalkRefusal::kReplaced:
      return "Another folder took its place after it was chosen.";
  }
  return "";
}

}  // namespace corvane
