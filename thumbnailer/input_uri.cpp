// INPUT as thumbnail hosts give it: %u is a URI, %i a path.
#include <cctype>

#include "platform/posix/messages.h"
#include "thumbnailer/thumbnailer.h"

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// "scheme://" with a scheme of RFC 3986 (a letter, then letters, digits, +-.).
bool HasOtherScheme(const std::string& text) {
  const auto colon = text.find("://");
  if (colon == std::string::npos || colon == 0) return false;
  if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  for (std::size_t i = 1; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool InputToPath(const std::string& input, std::string& path, std::string& reason) {
  if (!StartsWithNoCase(input, "file:")) {
    if (HasOtherScheme(input)) {
      reason = Tr("not a local file");
      return false;
    }
    path = input;
    return true;
  }
  // file:/p, file:///p or file://HOST/p; only this machine's files.
  std::string rest = input.substr(5);
  if (rest.compare(0, 2, "//") == 0) {
    const auto slash = rest.find('/', 2);
    const std::string host = rest.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
    if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) {
      reason = Tr("not a local file");
      return false;
    }
    rest = slash == std::string::npos ? std::string() : rest.substr(slash);
  }
  if (rest.empty() || rest[0] != '/') {
    reason = Tr("not a file URI");
    return false;
  }
  path.clear();
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '%') {
      path += rest[i];
      continue;
    }
    const int hi = i + 2 < rest.size() ? HexDigit(rest[i + 1]) : -1;
    const int lo = hi >= 0 ? HexDigit(rest[i + 2]) : -1;
    if (lo < 0) {
      reason = Tr("broken escape in the file URI");
      return false;
    }
    // A slash or a zero byte escaped inside a segment would name another
    // file than the URI does (file:///dir%2Fname.dst is one name, not dir/name.dst).
    const char c = static_cast<char>(hi * 16 + lo);
    if (c == '/' || c == '\0') {
      reason = c == '/' ? Tr("escaped '/' in a segment of the file URI")
                        : Tr("escaped zero byte in the file URI");
      return false;
    }
    path += c;
    i += 2;
  }
  return true;
}
