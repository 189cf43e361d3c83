// dump: the loaded design state as one JSON object.
#include <cstdio>
#include <string>

#include "cli/cli_session.h"
#include "cli/commands.h"

namespace {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Records(const CViewerDlg& d) {
  std::string out = "[";
  for (std::size_t i = 0; i < d.m_arrKind.size(); ++i) {
    if (i) out += ",";
    out += "[" + std::to_string(d.m_arrX[i]) + "," + std::to_string(d.m_arrY[i]) + "," +
           std::to_string(d.m_arrKind[i]) + "]";
    if (d.m_arrKind[i] == KIND_END) break;
  }
  return out + "]";
}

std::string BlockColors(const CViewerDlg& d) {
  const int n = d.m_nColorCount < kBlockColorEntries ? d.m_nColorCount : kBlockColorEntries;
  std::string out = "[";
  for (int k = 0; k < n; ++k) out += (k ? "," : "") + std::to_string(d.m_blockColor[k]);
  return out + "]";
}

std::string FileColors(const CViewerDlg& d) {
  if (!d.m_bFileColors) return "null";
  std::string out = "[";
  for (int k = 0; k < kFileColorEntries; ++k) out += (k ? "," : "") + std::to_string(d.m_fileColors[k]);
  return out + "]";
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

std::string Threads(const CViewerDlg& d) {
  std::string out = "[";
  for (std::size_t k = 0; k < d.m_threads.size(); ++k) {
    const CThread& t = d.m_threads[k];
    char color[8];
    std::snprintf(color, sizeof color, "#%02x%02x%02x", GetRValue(t.color), GetGValue(t.color), GetBValue(t.color));
    out += std::string(k ? "," : "") + "{\"color\":\"" + color + "\",\"chart\":\"" + ChartName(t.chart) +
           "\",\"index\":" + std::to_string(t.index) + ",\"name\":" + JsonString(t.name) +
           ",\"catalog\":" + JsonString(t.catalog) + ",\"brand\":" + JsonString(t.brand) + "}";
  }
  return out + "]";
}

std::string Thumbnail(const CViewerDlg& d) {
  if (!d.m_bHasThumbnail) return "null";
  static const char* digits = "0123456789abcdef";
  std::string out = "\"";
  for (std::uint8_t b : d.m_thumbnail) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out + "\"";
}

}  // namespace

int RunDump(const CliArgs& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: nadelwerk-cli dump FILE\n");
    return kExitUsage;
  }
  CliSession session;
  if (!session.LoadOrReport(args[0])) return kExitFileError;
  const CViewerDlg& d = session.dlg;
  static const char* infoKeys[5] = {"format", "colors", "width", "height", "stitches"};
  std::string info = "{";
  for (int field = 0; field < 5; ++field)
    info += std::string(field ? "," : "") + "\"" + infoKeys[field] + "\":" + JsonString(session.InfoText(field));
  info += "}";
  std::printf(
      "{\"format\":%d,\"colorCount\":%d,\"stitchCount\":%d,\"minX\":%d,\"maxX\":%d,\"minY\":%d,"
      "\"maxY\":%d,\"width\":%d,\"height\":%d,\"blockColors\":%s,\"fileColors\":%s,"
      "\"label\":%s,\"threads\":%s,\"thumbnail\":%s,\"records\":%s,\"info\":%s}\n",
      d.m_nFormat, d.m_nColorCount, d.m_nStitchCount, d.m_nMinX, d.m_nMaxX, d.m_nMinY, d.m_nMaxY,
      d.m_nWidth, d.m_nHeight, BlockColors(d).c_str(), FileColors(d).c_str(), JsonString(d.m_strLabel).c_str(),
      Threads(d).c_str(), Thumbnail(d).c_str(),
      Records(d).c_str(), info.c_str());
  return 0;
}
