// The settings file: any content is read without harm, a value within the
// writer's limits reads back as written, and a write changes nothing else.
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/private_profile.h"
#include "support/temp_dir.h"

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// What the writer promises to store so that it reads back.
bool WithinLimits(const std::string& section, const std::string& key, const std::string& value) {
  const std::string_view breaks("\r\n\0", 3);
  for (const std::string* s : {&section, &key, &value})
    if (s->find_first_of(breaks) != std::string::npos) return false;
  std::string k = Trim(key);
  return section.find(']') == std::string::npos && !k.empty() && k.find('=') == std::string::npos &&
         k[0] != '[' && k[0] != ';' && k[0] != '#';
}

std::string FileContent(const std::string& path) {
  std::string content;
  int fd = ::open(path.c_str(), O_RDONLY);
  char chunk[4096];
  for (ssize_t n; fd >= 0 && (n = ::read(fd, chunk, sizeof chunk)) > 0;)
    content.append(chunk, static_cast<size_t>(n));
  if (fd >= 0) ::close(fd);
  return content;
}

void SetFileContent(const std::string& path, const std::string& content) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Check(fd >= 0 &&
            ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()),
        "cannot set up the file");
  ::close(fd);
}

std::string Read(const std::string& section, const std::string& key, size_t capacity,
                 const std::string& path) {
  std::string out;
  size_t count = corvane::GetPrivateProfileString(section, key, "none", out, capacity, path);
  Check(count == corvane::Utf8CharCount(out), "the count is not the characters stored");
  Check(capacity == 0 ? out.empty() : count < capacity, "more than the capacity stored");
  Check(out.find('\n') == std::string::npos, "a line break in a value");
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const corvane::testing::TempDir dir;  // one per process, removed at exit
  const std::string path = dir / "corvane.ini";
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(32);
  const std::string key = input.ConsumeRandomLengthString(32);
  const std::string value = input.ConsumeRandomLengthString(64);
  const std::string otherSection = input.ConsumeRandomLengthString(32);
  const std::string otherKey = input.ConsumeRandomLengthString(32);
  const size_t capacity = input.ConsumeIntegralInRange<size_t>(0, 80);
  const bool missing = input.ConsumeBool();
  const std::string content = input.ConsumeRemainingBytesAsString();
  if (missing) {
    ::unlink(path.c_str());  // also a missing file
  } else {
    SetFileContent(path, content);
  }

  Read(section, key, capacity, path);
  const std::string other = Read(otherSection, otherKey, 4096, path);
  const std::string before = FileContent(path);
  const bool written = corvane::WritePrivateProfileString(section, key, value, path) != 0;
  if (!written) {
    Check(!WithinLimits(section, key, value), "a write within the limits refused");
    Check(FileContent(path) == before, "a refused write changed the file");
    return 0;
  }
  if (!WithinLimits(section, key, value)) return 0;
  Check(Read(section, key, value.size() + 1, path) == Trim(value), "the value does not read back");
  const bool sameEntry = Lower(Trim(section)) == Lower(Trim(otherSection)) &&
                         Lower(Trim(key)) == Lower(Trim(otherKey));
  if (!sameEntry)
    Check(Read(otherSection, otherKey, 4096, path) == other, "a write changed another entry");
  return 0;
}
