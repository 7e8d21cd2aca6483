#include "scan/core/tree_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "platform/attributes.h"
#include "platform/dir_cursor.h"
#include "platform/dir_listing.h"
#include "platform/dir_search.h"
#include "platform/file_system_kind.h"
#include "platform/path_text.h"

namespace corvane {

namespace {

constexpr uint32_t kNone = UINT32_MAX;

struct Node {
  ListedEntry entry;
  uint32_t first_child = kNone;
  uint32_t last_child = kNone;
  uint32_t next_sibling = kNone;
};

class Walker {
 public:
  Walker(const WalkOptions& options, TreeListing& out) : options_(options), out_(out) {}

  void Run(const std::string& folder);

 private:
  // Reads the current folder: lists its files, returns its subfolders' names.
  std::vector<std::string> ReadCurrent(const ListedEntry& folder);
  uint32_t AddNode(uint32_t parent, ListedEntry entry);
  void ListBreadthFirst();
  // Why the chosen folder could not be read, from the errno of the failure.
  void Refuse(int error);

  const WalkOptions& options_;
  TreeListing& out_;
  DirCursor cursor_;
  std::vector<Node> nodes_;
  std::vector<DirEntryAt> entries_;
  std::vector<bool> listed_;
  uint64_t born_by_ = 0;
};

uint32_t Walker::AddNode(uint32_t parent, ListedEntry entry) {
  auto index = static_cast<uint32_t>(nodes_.size());
  nodes_.push_back({std::move(entry)});
  if (parent != kNone) {
    Node& p = nodes_[parent];
    if (p.last_child == kNone) {
      p.first_child = index;
    } else {
      nodes_[p.last_child].next_sibling = index;
    }
    p.last_child = index;
  }
  return index;
}

std::vector<std::string> Walker::ReadCurrent(const ListedEntry& folder) {
  std::vector<std::string> subfolders;
  if (int error = ReadDirectoryAt(cursor_.fd(), entries_); error != 0) {
    out_.unread.push_back({folder.path, error});
    return subfolders;
  }
  listed_.assign(entries_.size(), false);
  // Where the folder's own read shows birth times and its file system's
  // entries give true inode numbers, a file needs no read of its own: any
  // later check tells a reused inode number by its birth after born_by_.
  const bool by_entry = cursor_.info().id.kind == Stamp::kBirth &&
                        ClassifyFileSystem(StatfsType(cursor_.fd()).value_or(0)).entriesIdentify;
  for (const std::string& mask : options_.masks) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      const DirEntryAt& e = entries_[i];
      if (listed_[i] || IsHiddenName(e.name) || (e.type != DT_REG && e.type != DT_LNK)) continue;
      if (!MatchMask(mask, e.name)) continue;
      listed_[i] = true;
      EntryInfo info;
      if (by_entry) {
        info.id = {cursor_.info().id.dev, Stamp::kBornBy, e.ino, born_by_};
      } else if (ReadEntry(cursor_.fd(), e.name.c_str(), info) != 0) {
        continue;  // gone meanwhile
      }
      out_.files.push_back(
          {JoinPath(folder.path, e.name), info.id, folder.anchor_length, folder.anchor_id});
    }
  }
  if (options_.recurse) {
    for (DirEntryAt& e : entries_) {
      if (e.type == DT_DIR && !IsHiddenName(e.name)) subfolders.push_back(std::move(e.name));
    }
  }
  return subfolders;
}

void Walker::Run(const std::string& folder) {
  born_by_ = BornByNow();
  ListedEntry root;
  root.path = folder;
  root.anchor_length = ParentLength(folder);
  const std::string name(LastComponent(folder));
  if (name.empty()) {
    out_.refusal = WalkRefusal::kNotDirectory;
    return;
  }
  if (int error = cursor_.OpenAnchor(AnchorPath(root)); error != 0) {
    out_.refusal = WalkRefusal::kUnreadable;  // another's link on the way included
    out_.error = error;
    return;
  }
  root.anchor_id = cursor_.info().id;
  EntryInfo info;
  if (int error = ReadEntry(cursor_.fd(), name.c_str(), info); error != 0) {
    Refuse(error);
    return;
  }
  if (!S_ISDIR(info.mode)) {
    out_.refusal = S_ISLNK(info.mode) ? WalkRefusal::kSymlink : WalkRefusal::kNotDirectory;
    return;
  }
  root.id = info.id;
  if (options_.before_open) options_.before_open();
  // The chosen folder may be a mount point itself; the walk then stays on it.
  // Whatever it became since its check, none of it is listed, not even itself.
  int error = cursor_.Enter(name, info, true);
  if (error == 0 && !SameEntry(root.id, info.id)) error = kIdentityChanged;
  if (error != 0) {
    Refuse(error);
    return;
  }
  AddNode(kNone, root);
  struct Frame {
    uint32_t node;
    std::vector<std::string> subfolders;
    size_t next = 0;
  };
  std::vector<Frame> stack;
  stack.push_back({0, ReadCurrent(nodes_[0].entry)});
  bool go_on = !options_.between || options_.between();
  while (go_on && !stack.empty()) {
    Frame& top = stack.back();
    if (top.next == top.subfolders.size()) {
      stack.pop_back();
      if (!stack.empty() && cursor_.Leave() != 0) break;  // moved away meanwhile
      continue;
    }
    const std::string& sub = top.subfolders[top.next++];
    const ListedEntry& parent = nodes_[top.node].entry;
    ListedEntry child{JoinPath(parent.path, sub), {}, parent.anchor_length, parent.anchor_id};
    error = cursor_.Enter(sub, info);
    if (error != 0 && error != EXDEV) {
      // A folder that cannot be opened is still listed, so that its removal
      // is tried and, if it fails, named; only its content stays unknown.
      // One that vanished or became something else is left out.
      const int failure = error;
      if (ReadEntry(cursor_.fd(), sub.c_str(), info) != 0 || !S_ISDIR(info.mode)) continue;
      out_.unread.push_back({child.path, failure});
      child.id = info.id;
      AddNode(top.node, std::move(child));
      continue;
    }
    child.id = info.id;
    uint32_t node = AddNode(top.node, std::move(child));
    // Another mount is listed but not entered.
    if (error == EXDEV) continue;
    std::vector<std::string> subfolders = ReadCurrent(nodes_[node].entry);
    stack.push_back({node, std::move(subfolders)});
    go_on = !options_.between || options_.between();
  }
  ListBreadthFirst();
}

void Walker::Refuse(int error) {
  switch (error) {
    case ENOENT:
      out_.refusal = WalkRefusal::kMissing;
      break;
    case ELOOP:  // O_NOFOLLOW met a link
      out_.refusal = WalkRefusal::kSymlink;
      break;
    case ENOTDIR:
      out_.refusal = WalkRefusal::kNotDirectory;
      break;
    case kIdentityChanged:
      out_.refusal = WalkRefusal::kReplaced;
      break;
    default:
      out_.refusal = WalkRefusal::kUnreadable;
      out_.error = error;
  }
}

void Walker::ListBreadthFirst() {
  out_.directories.reserve(nodes_.size());
  std::vector<uint32_t> queue{0};
  queue.reserve(nodes_.size());
  for (size_t i = 0; i < queue.size(); ++i) {
    for (uint32_t c = nodes_[queue[i]].first_child; c != kNone; c = nodes_[c].next_sibling)
      queue.push_back(c);
  }
  for (uint32_t index : queue) out_.directories.push_back(std::move(nodes_[index].entry));
}

}  // namespace

TreeListing WalkTree(const std::string& folder, const WalkOptions& options) {
  TreeListing listing;
  Walker(options, listing).Run(folder);
  return listing;
}

}  // namespace corvane
