// dump: the loaded design state as one JSON object, written as it is made:
// a design of millions of records costs no text of its size in memory.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "framework/utf8.h"
#include "platform/posix/messages.h"
#include "platform/posix/standard_streams.h"

namespace {

// Text for stdout, handed on in pieces; after a failed write nothing more
// is tried (main reports the failure).
class CJsonOut {
 public:
  ~CJsonOut() { Flush(); }
  CJsonOut& operator<<(const char* text) {
    m_buffer += text;
    return Spill();
  }
  CJsonOut& operator<<(const std::string& text) {
    m_buffer += text;
    return Spill();
  }
  CJsonOut& operator<<(long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    m_buffer.append(digits, end);
    return Spill();
  }
  CJsonOut& operator<<(int value) { return *this << static_cast<long long>(value); }
  CJsonOut& Quoted(const std::string& text);
  void Flush() {
    if (!m_failed && !m_buffer.empty() &&
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout) != m_buffer.size()) {
      m_failed = true;
      NoteStandardOutputError(errno);
    }
    m_buffer.clear();
  }
  bool Failed() const { return m_failed; }

 private:
  CJsonOut& Spill() {
    if (m_buffer.size() >= kPiece) Flush();
    return *this;
  }
  static constexpr std::size_t kPiece = 1 << 16;
  std::string m_buffer;
  bool m_failed = false;
};

// A JSON string of text. Labels and thread names are a file's own bytes: a
// byte that starts no well-formed UTF-8 sequence is taken as the Latin-1
// character it is in older files, so that the output is always UTF-8.
CJsonOut& CJsonOut::Quoted(const std::string& text) {
  std::string out = "\"";
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = bytes[i];
    const std::size_t length = Utf8SequenceLength(bytes + i, text.size() - i);
    if (length > 1) {
      out.append(text, i, length);
      i += length;
      continue;
    }
    ++i;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || length == 0) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return *this << out << "\"";
}

void Records(CJsonOut& out, const CViewerDlg& d) {
  out << "[";
  for (std::size_t i = 0; i < d.m_arrKind.size() && !out.Failed(); ++i) {
    out << (i ? ",[" : "[") << d.m_arrX[i] << "," << d.m_arrY[i] << "," << d.m_arrKind[i] << "]";
    if (d.m_arrKind[i] == KIND_END) break;
  }
  out << "]";
}

void BlockColors(CJsonOut& out, const CViewerDlg& d) {
  const int n = d.m_nColorCount < kBlockColorEntries ? d.m_nColorCount : kBlockColorEntries;
  out << "[";
  for (int k = 0; k < n; ++k) out << (k ? "," : "") << d.m_blockColor[k];
  out << "]";
}

void FileColors(CJsonOut& out, const CViewerDlg& d) {
  if (!d.m_bFileColors) {
    out << "null";
    return;
  }
  out << "[";
  for (int k = 0; k < kFileColorEntries; ++k) out << (k ? "," : "") << static_cast<long long>(d.m_fileColors[k]);
  out << "]";
}

const char* ChartName(ThreadChart chart) {
  switch (chart) {
    case ThreadChart::pec: return "pec";
    case ThreadChart::janome: return "janome";
    case ThreadChart::pcsFile: return "pcs";
    case ThreadChart::husqvarna: return "husqvarna";
    case ThreadChart::none: break;
  }
  return "none";
}

void Threads(CJsonOut& out, const CViewerDlg& d) {
  out << "[";
  for (std::size_t k = 0; k < d.m_threads.size() && !out.Failed(); ++k) {
    const CThread& t = d.m_threads[k];
    char color[8];
    std::snprintf(color, sizeof color, "#%02x%02x%02x", GetRValue(t.color), GetGValue(t.color), GetBValue(t.color));
    out << (k ? "," : "") << "{\"color\":\"" << color << "\",\"chart\":\"" << ChartName(t.chart)
        << "\",\"index\":" << t.index << ",\"name\":";
    out.Quoted(t.name) << ",\"catalog\":";
    out.Quoted(t.catalog) << ",\"brand\":";
    out.Quoted(t.brand) << "}";
  }
  out << "]";
}

void Thumbnail(CJsonOut& out, const CViewerDlg& d) {
  if (!d.m_bHasThumbnail) {
    out << "null";
    return;
  }
  static const char* digits = "0123456789abcdef";
  std::string hex = "\"";
  for (std::uint8_t b : d.m_thumbnail) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  out << hex << "\"";
}

}  // namespace

int RunDump(const CliArgs& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "%s\n", Tr("usage: nadelwerk-cli dump FILE"));
    return kExitUsage;
  }
  CliSession session;
  if (!session.LoadOrReport(args[0])) return kExitFileError;
  const CViewerDlg& d = session.dlg;
  CJsonOut out;
  out << "{\"format\":" << d.m_nFormat << ",\"colorCount\":" << d.m_nColorCount
      << ",\"stitchCount\":" << d.m_nStitchCount << ",\"minX\":" << d.m_nMinX << ",\"maxX\":" << d.m_nMaxX
      << ",\"minY\":" << d.m_nMinY << ",\"maxY\":" << d.m_nMaxY << ",\"width\":" << d.m_nWidth
      << ",\"height\":" << d.m_nHeight << ",\"blockColors\":";
  BlockColors(out, d);
  out << ",\"fileColors\":";
  FileColors(out, d);
  out << ",\"label\":";
  out.Quoted(d.m_strLabel) << ",\"threads\":";
  Threads(out, d);
  out << ",\"thumbnail\":";
  Thumbnail(out, d);
  out << ",\"records\":";
  Records(out, d);
  static const char* infoKeys[5] = {"format", "colors", "width", "height", "stitches"};
  out << ",\"info\":{";
  for (int field = 0; field < 5; ++field) {
    out << (field ? ",\"" : "\"") << infoKeys[field] << "\":";
    out.Quoted(session.InfoText(field));
  }
  out << "}}\n";
  out.Flush();
  return out.Failed() ? kExitFileError : 0;  // main reports why
}
