#pragma once
// The one gate that every path passes before it enters the lists, by any
// door: the command line, a drop, a file manager's action, the folder chooser,
// Browse & Delete and the file dialog. The path is first normalised by its
// spelling ("x/..", ".", doubled separators), then refused when destroying it
// would take what the user cannot have meant:
//  - a name that shows the same as another entry's in its folder, so that
//    the user cannot have told which one he picked;
//  - a path that leads through a symbolic link owned by someone else than
//    root or the user running the program (see platform/own_links.h);
//  - where a folder is wanted, a symbolic link or anything else that is not
//    a folder;
//  - the root and the user's home folder; the program's and the settings'
//    folders and every folder that holds them; all compared by identity
//    (device, inode number and birth time where kept), never by spelling;
//  - anything on a pseudo file system (proc, sysfs, devtmpfs, cgroup...),
//    whose "files" are the kernel's switches and have no content to destroy;
//  - a folder this process cannot open for reading, whose content could be
//    neither listed nor destroyed;
//  - anything in the folders where a file manager keeps its local copies of
//    remote files (KIO's "kioexec"): destroying such a copy would leave the
//    original where it is.
#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace corvane {

struct TreeListing;

enum class GateKind { kMissing, kFile, kFolder };

struct GateVerdict {
  std::string path;  // normalised
  GateKind kind = GateKind::kMissing;
  std::optional<std::string> refusal;  // why it is refused, one line for the user
  int error = 0;                       // for kMissing: why it could not be reached (errno)
};

// The shown form of each entry's name, counted, for every folder the
// look-alike check has read: one handing of many names reads each folder once.
struct ShownNames {
  std::unordered_map<std::string, std::unordered_map<std::string, int>> byFolder;
};

struct GateRules {
  std::vector<std::string> homes;
  std::vector<std::string> programFolders;
  uid_t user = 0;
  // The type name ("ext4", "proc"...) of the file system holding the open
  // descriptor; "" when unknown.
  std::function<std::string(int fd)> fileSystemName;
  // Folders that hold local copies of remote files.
  std::vector<std::string> remoteCopyFolders;
  std::shared_ptr<ShownNames> shownNames = std::make_shared<ShownNames>();
};

// The rules for this program: the user's home folders, the executable's
// folder and the settings file's folder, the real user and file systems, and
// KIO's copies of remote files; `settingsFile` is the settings file's path
// ("" when there is none). One set serves one handing of paths.
GateRules ProgramGateRules(const std::string& settingsFile);

// Normalises `path` and tells what it is and whether it may be listed.
// `folderWanted`: only a folder may pass (the folder chooser).
GateVerdict PassGate(const std::string& path, const GateRules& rules, bool folderWanted = false);

// The box that tells the user of refusals; the widgets show it.
struct RefusalBox {
  std::string prompt;
  int style;
  std::string title;
};

// Why the path was refused, as RefusalNotice tells one refusal.
RefusalBox RefusalBoxFor(const GateVerdict& verdict, bool folderWanted = false);

// The refusals of one handing of paths, told in one box once it is over.
// One refusal: "This Folder Cannot Be Destroyed!" ("This File ...", "This
// Path ..." for what does not exist), the path and the reason, stop icon.
// Several: how many, then up to ten of them as "path (reason)". A folder door
// says "Folder" whatever it was given.
class RefusalNotice {
 public:
  explicit RefusalNotice(bool folderWanted = false) : folderWanted_(folderWanted) {}
  void Add(GateVerdict verdict);
  // A handed path that names nothing, named as it was handed.
  void AddMissing(const std::string& handed, int error);
  // The box to show when anything was refused; starts afresh.
  std::optional<RefusalBox> Take();

 private:
  bool folderWanted_;
  std::vector<GateVerdict> refused_;
};

// Why a walk refused the chosen folder (scan/core/tree_walk.h), in the words
// of the gate's reasons: the folder may have changed since it passed.
std::string WalkRefusalReason(const TreeListing& listing);

}  // namespace corvane
