// Splits one byte string into the files of a small project, for the whole-run fuzz target and
// for replaying its findings.
//
// The bytes up to the first separator line are the project file "P.vbp". Each separator line
// "\n~~~~ NAME\n" starts a file named NAME (relative to the project folder). Names are made safe
// first: every byte other than a letter, digit, ".", "_", "-" or "/" becomes "_", a component
// "." or ".." becomes "_", and names are cut at 64 bytes, so no file is ever written outside
// the folder. At most 16 files are made; later parts are dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qs::fuzz {

inline constexpr std::string_view kFileSeparator = "\n~~~~ ";

inline std::string SafeName(std::string_view raw) {
  std::string out;
  std::string component;
  auto endComponent = [&] {
    if (component.empty()) return;
    if (component == "." || component == "..") component = "_";
    if (!out.empty()) out += '/';
    out += component;
    component.clear();
  };
  for (char c : raw.substr(0, 64)) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-';
    if (c == '/') {
      endComponent();
    } else {
      component += ok ? c : '_';
    }
  }
  endComponent();
  return out.empty() ? std::string("_") : out;
}

/// (name, bytes) pairs; the first is always ("P.vbp", ...).
inline std::vector<std::pair<std::string, std::string>> SplitProject(std::string_view bytes) {
  std::vector<std::pair<std::string, std::string>> files;
  size_t pos = bytes.find(kFileSeparator);
  files.emplace_back("P.vbp", std::string(bytes.substr(0, pos)));
  while (pos != std::string_view::npos && files.size() < 17) {
    const size_t nameStart = pos + kFileSeparator.size();
    size_t nameEnd = bytes.find('\n', nameStart);
    if (nameEnd == std::string_view::npos) nameEnd = bytes.size();
    std::string name = SafeName(bytes.substr(nameStart, nameEnd - nameStart));
    const size_t bodyStart = nameEnd < bytes.size() ? nameEnd + 1 : bytes.size();
    pos = bytes.find(kFileSeparator, bodyStart);
    const size_t bodyEnd = pos == std::string_view::npos ? bytes.size() : pos;
    if (name != "P.vbp")
      files.emplace_back(std::move(name),
                         std::string(bytes.substr(bodyStart, bodyEnd - bodyStart)));
  }
  return files;
}

}  // namespace qs::fuzz
