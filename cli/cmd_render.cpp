// render: loads a file as the viewer does and writes a picture of it, by
// OUT's extension: for .png it sets the view through the window's own
// handlers, paints, and writes the preview (or thumbnail) frame; for .svg
// and .pdf it writes the design as a vector picture at true size.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "platform/posix/messages.h"
#include "picture/design_pictures.h"
#include "platform/png/png_file.h"

namespace {

int Usage() {
  std::fprintf(stderr, "%s\n",
               Tr("usage: nadelwerk-cli render FILE OUT.png [--zoom 100|125|150|200|300] [--rotate 0-3]\n"
                  "                            [--scroll H,V] [--size WxH] [--thumbnail]\n"
                  "       nadelwerk-cli render FILE OUT.svg|OUT.pdf   the design at true size"));
  return kExitUsage;
}

struct RenderOptions {
  std::string input;
  std::string output;
  int zoom = 100;
  int rotate = 0;
  int scrollH = 0, scrollV = 0;
  bool scroll = false;
  int width = 0, height = 0;  // 0: the frame's size in the window
  bool thumbnail = false;
  bool view = false;  // any of the PNG's view options given
};

// A whole decimal number in [lo, hi]; nothing else is accepted.
bool ParseInt(const std::string& text, int lo, int hi, int& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const int v = std::atoi(text.c_str());
  if (v < lo || v > hi) return false;
  value = v;
  return true;
}

bool ParsePair(const std::string& text, char separator, int lo, int hi, int& a, int& b) {
  const auto at = text.find(separator);
  if (at == std::string::npos) return false;
  return ParseInt(text.substr(0, at), lo, hi, a) && ParseInt(text.substr(at + 1), lo, hi, b);
}

bool ParseOptions(const CliArgs& args, RenderOptions& o) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a.size() > 2 && a[0] == '-' && a[1] == '-') o.view = true;
    if (a == "--thumbnail") {
      o.thumbnail = true;
    } else if (a == "--zoom" && hasValue) {
      if (!ParseInt(args[++i], 100, 300, o.zoom)) return false;
      if (o.zoom != 100 && o.zoom != 125 && o.zoom != 150 && o.zoom != 200 && o.zoom != 300)
        return false;
    } else if (a == "--rotate" && hasValue) {
      if (!ParseInt(args[++i], 0, 3, o.rotate)) return false;
    } else if (a == "--scroll" && hasValue) {
      if (!ParsePair(args[++i], ',', 0, 100, o.scrollH, o.scrollV)) return false;
      o.scroll = true;
    } else if (a == "--size" && hasValue) {
      if (!ParsePair(args[++i], 'x', 1, 10000, o.width, o.height)) return false;
    } else if (a.size() > 1 && a[0] == '-') {
      return false;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) return false;
  o.input = positional[0];
  o.output = positional[1];
  return true;
}

// The design as SVG or PDF; no view options apply.
int RenderVector(const RenderOptions& o, VectorFormat format) {
  CliSession session(false);
  if (!session.LoadOrReport(o.input)) return kExitFileError;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = DesignVectorPicture(session.dlg, format);
  } catch (const std::runtime_error& e) {
    SayAbout(o.output, Tr("the picture could not be made (%s)"), e.what());
    return kExitFileError;
  }
  if (bytes.empty()) {
    SayAbout(o.input, "%s", Tr("the design has no stitches"));
    return kExitFileError;
  }
  return WriteOrReport(session, o.output, bytes, /*synced=*/false) ? 0 : kExitFileError;
}

}  // namespace

int RunRender(const CliArgs& args) {
  RenderOptions o;
  if (!ParseOptions(args, o)) return Usage();
  if (RefusedAsInput(o.input, o.output)) return kExitFileError;
  const std::string ext = LowerExtension(o.output);
  if (ext != "png" && ext != "svg" && ext != "pdf") {
    SayAbout(o.output, "%s", Tr("render writes .png, .svg or .pdf"));
    return kExitUsage;
  }
  if (ext != "png") {
    if (o.view) {
      std::fprintf(stderr, "nadelwerk-cli: %s\n", Tr("the view options apply to .png only"));
      return kExitUsage;
    }
    return RenderVector(o, ext == "svg" ? VectorFormat::svg : VectorFormat::pdf);
  }
  // Every repaint draws the whole frames anew, so only the last one counts:
  // the load and the view handlers repaint without painting, and the frames
  // are painted once when the view is set.
  CliSession session(false);
  const int frameId = o.thumbnail ? IDC_THUMBNAIL : IDC_PREVIEW;
  if (o.width > 0) session.platform.SetFrameSize(frameId, o.width, o.height);
  if (!session.LoadOrReport(o.input)) return kExitFileError;

  CViewerDlg& dlg = session.dlg;
  switch (o.zoom) {
    case 125: dlg.OnZoom125(); break;
    case 150: dlg.OnZoom150(); break;
    case 200: dlg.OnZoom200(); break;
    case 300: dlg.OnZoom300(); break;
    default: dlg.OnZoom100(); break;
  }
  // A DST file keeps the rotation the window had; a fresh window has 0, so
  // the count of presses is the same for every format.
  for (int k = 0; k < o.rotate; ++k) dlg.OnRotate();
  if (o.scroll) {
    dlg.OnHScroll(SB_THUMBPOSITION, static_cast<unsigned>(o.scrollH), dlg.m_pHScrollBar);
    dlg.OnVScroll(SB_THUMBPOSITION, static_cast<unsigned>(o.scrollV), dlg.m_pVScrollBar);
  }
  session.platform.paintOnRepaint = true;
  dlg.RedrawNow();
  // Through the safe path of the writers: an existing picture is replaced
  // only by a complete new one.
  try {
    WritePngFile(session.files, o.output, session.platform.ControlPixels(frameId));
  } catch (const CFileException& e) {
    ReportFileError(session.platform, e);
    return kExitFileError;
  }
  return 0;
}
