// nadelwerk-thumbnailer as file managers' thumbnail services run it: the
// entry installed into a temporary prefix, its Exec line with the host's
// substitutions (%s, %u or %i, %o), on generated designs of every format.
#include <fcntl.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "design/thread_charts.h"
#include "formats/formats.h"
#include "platform/png/png_file.h"
#include "render/device_context.h"
#include "tests/brother_fixture.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

// The MIME type of every format the table lists.
std::set<std::string> TableMimeTypes() {
  std::set<std::string> types;
  for (const FormatEntry& f : Formats()) types.insert(f.mimeType);
  return types;
}

// ---- the host's side ----

// The keys of the [Thumbnailer Entry] group.
std::map<std::string, std::string> ReadEntry(const fs::path& file) {
  std::map<std::string, std::string> keys;
  std::ifstream in(file);
  std::string line;
  bool inGroup = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') inGroup = line == "[Thumbnailer Entry]";
    const auto eq = line.find('=');
    if (inGroup && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator))
    if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string FileUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

struct HostRun {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string err;  // what it printed on stderr
};

// Runs Exec as a host does: each field code replaced by its value, the
// program looked up on PATH, the prefix's bin first.
HostRun RunExec(const std::string& exec, const std::map<std::string, std::string>& codes,
                const fs::path& bin) {
  std::vector<std::string> args;
  for (const std::string& token : Split(exec, ' ')) {
    const auto code = codes.find(token);
    args.push_back(code != codes.end() ? code->second : token);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string path = bin.string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "");

  int pipeFds[2];
  HostRun run;
  if (pipe(pipeFds) != 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], 2);
    close(pipeFds[0]);
    close(pipeFds[1]);
    setenv("PATH", path.c_str(), 1);
    setenv("LC_ALL", "C", 1);  // the messages in English, whatever the tester's language
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  char buf[512];
  ssize_t got;
  while ((got = read(pipeFds[0], buf, sizeof buf)) > 0) run.err.append(buf, static_cast<std::size_t>(got));
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// ---- the picture ----

struct Picture {
  int width = 0, height = 0;
  int bitDepth = 0, colorType = 0;  // from the header
  std::vector<std::uint8_t> rgba;

  std::uint32_t Rgb(std::size_t i) const {
    return rgba[4 * i] << 16 | rgba[4 * i + 1] << 8 | rgba[4 * i + 2];
  }
  std::uint8_t Alpha(std::size_t i) const { return rgba[4 * i + 3]; }
};

bool ReadPicture(const fs::path& file, Picture& p) {
  const Bytes bytes = ReadFileBytes(file);
  if (bytes.size() < 33) return false;
  p.bitDepth = bytes[24];  // IHDR: width, height, bit depth, colour type
  p.colorType = bytes[25];
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  p.width = static_cast<int>(image.width);
  p.height = static_cast<int>(image.height);
  p.rgba.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, p.rgba.data(), 0, nullptr) != 0;
}

// ---- generated designs: three blocks side by side, each a zigzag fill of
// 100 x 200 units, 50 units apart, with the travel to the next block ----

struct Step {
  int dx, dy;
  enum { stitch, move, color } kind;
};

std::vector<Step> ThreeBlocks(bool tall, bool travelAsMoves) {
  std::vector<Step> steps;
  auto add = [&](int dx, int dy, decltype(Step::kind) kind) {
    steps.push_back(tall ? Step{dy, dx, kind} : Step{dx, dy, kind});
  };
  for (int block = 0; block < 3; ++block) {
    if (block > 0) {
      add(0, 0, Step::color);
      add(50, -100, travelAsMoves ? Step::move : Step::stitch);
      add(0, -100, travelAsMoves ? Step::move : Step::stitch);
    }
    for (int row = 0; row < 10; ++row) {
      add(row % 2 ? -100 : 100, 0, Step::stitch);
      add(0, 20, Step::stitch);
    }
    add(100, 0, Step::stitch);  // ends at the block's bottom right
  }
  return steps;
}

Bytes SewFile(const std::vector<Step>& steps) {
  ByteBuilder b;
  b.u8(3).u8(0).u16le(10).u16le(12).u16le(6);  // #FF0000, #0000FF, #00E800
  b.padTo(7544);
  for (const Step& s : steps) {  // the file's Y points up
    if (s.kind == Step::color) b.bytes({0x80, 0x01});
    if (s.kind == Step::move) b.bytes({0x80, 0x02});
    if (s.kind != Step::color) b.u8(s.dx & 0xFF).u8(-s.dy & 0xFF);
  }
  return b.bytes({0x80, 0x10});
}

PecSection BrotherSection(const std::vector<Step>& steps) {
  PecSection section;
  section.colors = {5, 14, 2};  // #E80000, #00D800, #0000E0
  section.thumbnail.assign(228, 0xFF);  // an all-black picture: must not be drawn
  section.stitches.clear();
  auto field = [&](int v) {
    section.stitches.push_back(0x80 | ((v >> 8) & 0x0F));
    section.stitches.push_back(v & 0xFF);
  };
  for (const Step& s : steps) {
    if (s.kind == Step::color) {
      section.stitches.insert(section.stitches.end(), {0xFE, 0xB0, 0x00});
    } else {
      field(s.dx);
      field(s.dy);
    }
  }
  section.stitches.insert(section.stitches.end(), {0xFF, 0x00});
  return section;
}

// DST and PCS files come from the writers, as a user would make them.
bool WriteWithWriter(const std::vector<Step>& steps, const std::string& format, const std::string& path) {
  CHeadlessViewer viewer;
  CViewerDlg& dlg = viewer.dlg;
  dlg.BeginDesign(256);
  int x = 0, y = 0;
  for (const Step& s : steps) {
    x += s.dx;
    y += s.dy;
    if (s.kind == Step::color)
      dlg.AddColorChange(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    else
      dlg.AddStitch(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
  }
  dlg.EndDesign();
  dlg.m_bLoaded = TRUE;
  dlg.m_nFormat = FORMAT_BROTHER;
  dlg.m_blockColor[0] = 5;
  dlg.m_blockColor[1] = 14;
  dlg.m_blockColor[2] = 2;
  return viewer.Save(*FindFormat(format), path) == SaveOutcome::written;
}

// The preview colours of the blocks that have a sewn line, as the one
// headless viewer loads the file.
std::set<std::uint32_t> SewnBlockColors(const std::string& path) {
  CHeadlessViewer viewer;
  EXPECT_EQ(viewer.Load(path), LoadOutcome::loaded);
  const CViewerDlg& dlg = viewer.dlg;
  std::set<std::uint32_t> colors;
  int block = 0, x = 0, y = 0;
  for (std::size_t i = 0; i < dlg.m_arrKind.size() && dlg.m_arrKind[i] != KIND_END; ++i) {
    if (dlg.m_arrKind[i] == KIND_COLOR) {
      ++block;
      continue;
    }
    if (dlg.m_arrKind[i] == KIND_STITCH && (dlg.m_arrX[i] != x || dlg.m_arrY[i] != y))
      colors.insert(ColorRefToRgb(BlockThread(dlg, block).color));
    x = dlg.m_arrX[i];
    y = dlg.m_arrY[i];
  }
  return colors;
}

}  // namespace

class ThumbnailerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_prefix = std::make_unique<TempDir>();
    const std::string command = std::string("\"") + NADELWERK_CMAKE + "\" --install \"" +
                                NADELWERK_BUILD_DIR + "\" --component thumbnailer --prefix \"" +
                                s_prefix->path().string() + "\" >/dev/null";
    s_installed = std::system(command.c_str()) == 0;
    s_entry = ReadEntry(s_prefix->path() / "share/thumbnailers/nadelwerk.thumbnailer");
  }
  static void TearDownTestSuite() { s_prefix.reset(); }
  void SetUp() override { ASSERT_TRUE(s_installed) << "cmake --install failed"; }

  // Runs the entry on input (a path) with the host's %u, or %i when asked.
  HostRun Thumbnail(const std::string& input, const std::string& output, int size = 128,
                    bool asPath = false) {
    std::string exec = s_entry["Exec"];
    if (asPath) exec.replace(exec.find("%u"), 2, "%i");
    return RunExec(exec, {{"%s", std::to_string(size)}, {"%u", FileUri(input)}, {"%i", input},
                          {"%o", output}},
                   s_prefix->path() / "bin");
  }
  HostRun RunWithInput(const std::string& uriOrPath, const std::string& output) {
    return RunExec(s_entry["Exec"], {{"%s", "128"}, {"%u", uriOrPath}, {"%o", output}},
                   s_prefix->path() / "bin");
  }
  // Fails with the case's name unless the run failed with one line on
  // stderr and left no output.
  void ExpectRefused(const HostRun& run, const std::string& output, const std::string& what) {
    EXPECT_NE(run.status, 0) << what;
    EXPECT_FALSE(fs::exists(output)) << what;
    EXPECT_EQ(run.err.rfind("nadelwerk-thumbnailer: ", 0), 0u) << what << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << what << ": " << run.err;
  }

  static std::unique_ptr<TempDir> s_prefix;
  static bool s_installed;
  static std::map<std::string, std::string> s_entry;
  TempDir dir;
};

std::unique_ptr<TempDir> ThumbnailerTest::s_prefix;
bool ThumbnailerTest::s_installed = false;
std::map<std::string, std::string> ThumbnailerTest::s_entry;

TEST_F(ThumbnailerTest, InstalledEntriesNameTheProgramAndEveryTypeOfTheTable) {
  EXPECT_EQ(s_entry["TryExec"], "nadelwerk-thumbnailer");
  const fs::path program = s_prefix->path() / "bin" / s_entry["TryExec"];
  EXPECT_EQ(access(program.c_str(), X_OK), 0) << program;
  EXPECT_EQ(s_entry["Exec"], "nadelwerk-thumbnailer -s %s %u %o");
  const auto types = Split(s_entry["MimeType"], ';');
  EXPECT_EQ(std::set<std::string>(types.begin(), types.end()), TableMimeTypes());

  // The shared-mime-info package and the window's entry, as built for
  // installing, name the same types, each once.
  const fs::path built = fs::path(NADELWERK_BUILD_DIR) / "desktop";
  const Bytes xmlBytes = ReadFileBytes(built / "nadelwerk.xml");
  const std::string xml(xmlBytes.begin(), xmlBytes.end());
  std::set<std::string> declared;
  for (auto at = xml.find("<mime-type type=\""); at != std::string::npos; at = xml.find("<mime-type type=\"", at + 1)) {
    const auto from = at + std::string("<mime-type type=\"").size();
    EXPECT_TRUE(declared.insert(xml.substr(from, xml.find('"', from) - from)).second);
  }
  EXPECT_EQ(declared, TableMimeTypes());
  const Bytes entryBytes = ReadFileBytes(built / "nadelwerk.desktop");
  const std::string entry(entryBytes.begin(), entryBytes.end());
  const auto line = entry.find("\nMimeType=");
  ASSERT_NE(line, std::string::npos);
  const auto listed = Split(entry.substr(line + 10, entry.find('\n', line + 1) - line - 10), ';');
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), TableMimeTypes());
}

TEST_F(ThumbnailerTest, EveryFormatAtBothSizesInItsBlockColours) {
  // Names with blanks, '#', '%' and umlauts: the URI carries them escaped.
  struct Case {
    std::string name;
    bool tall;
  };
  const Case cases[] = {{"Blume #1.pes", false}, {"Stern 100%.pec", true}, {"Fisch.dst", false},
                        {"Vogel \xC3\xA4.pcs", true}, {"Baum.sew", false}};
  for (const Case& c : cases) {
    const std::string format = c.name.substr(c.name.size() - 3);
    const std::string input = (dir.path() / c.name).string();
    const auto steps = ThreeBlocks(c.tall, format == "sew");
    if (format == "pes") dir.Write(c.name, PesFile({BrotherSection(steps)}));
    if (format == "pec") dir.Write(c.name, PecFile(BrotherSection(steps)));
    if (format == "sew") dir.Write(c.name, SewFile(steps));
    if (format == "dst" || format == "pcs") {
      ASSERT_TRUE(WriteWithWriter(steps, format, input));
    }
    const std::set<std::uint32_t> colors = SewnBlockColors(input);
    ASSERT_GE(colors.size(), 3u) << c.name;

    for (int size : {128, 256}) {
      for (bool asPath : {false, true}) {
        SCOPED_TRACE(c.name + " at " + std::to_string(size) + (asPath ? " by path" : " by URI"));
        const std::string output = (dir.path() / "thumb.png").string();
        fs::remove(output);
        const HostRun run = Thumbnail(input, output, size, asPath);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        Picture p;
        ASSERT_TRUE(ReadPicture(output, p));
        EXPECT_EQ(p.bitDepth, 8);
        EXPECT_EQ(p.colorType, 6);  // RGBA
        const int longer = c.tall ? p.height : p.width, shorter = c.tall ? p.width : p.height;
        EXPECT_EQ(longer, size);
        EXPECT_NEAR(shorter, size / 2, 4);

        // Anti-aliased: edges partly transparent, where blocks meet (and
        // where a light thread meets its darker edge, 55 %) blends of their
        // colours; every block's own colour inside the lines, and nothing
        // outside the blends of these (not the black Brother picture either).
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (std::uint32_t c : colors)
          for (int ch = 0; ch < 3; ++ch)
            for (int v : {static_cast<int>((c >> (8 * ch)) & 0xFF), static_cast<int>((c >> (8 * ch)) & 0xFF) * 55 / 100}) {
              lo[ch] = std::min(lo[ch], v);
              hi[ch] = std::max(hi[ch], v);
            }
        std::set<std::uint32_t> seen;
        std::size_t clear = 0, partly = 0;
        for (std::size_t i = 0; i < p.rgba.size() / 4; ++i) {
          if (p.Alpha(i) == 0) {
            ++clear;
            continue;
          }
          if (p.Alpha(i) < 255) {  // its colour rounded from a few levels: not checked
            ++partly;
            continue;
          }
          const std::uint32_t rgb = p.Rgb(i);
          if (colors.count(rgb)) seen.insert(rgb);
          for (int ch = 0; ch < 3; ++ch) {
            const int v = static_cast<int>((rgb >> (8 * ch)) & 0xFF);
            ASSERT_TRUE(v >= lo[ch] - 1 && v <= hi[ch] + 1) << std::hex << rgb;
          }
        }
        EXPECT_EQ(seen, colors);
        EXPECT_GT(partly, 0u);
        EXPECT_GT(clear, p.rgba.size() / 4 / 10);  // the gaps between the blocks
      }
    }
  }
}

TEST_F(ThumbnailerTest, HostsReadThePictureThroughTheOutputTheyCreated) {
  // A host creates OUTPUT, keeps it open and reads the picture back through
  // that descriptor.
  const std::string input = dir.Write("a.sew", SewFile(ThreeBlocks(false, true)));
  const std::string output = dir.Write("tumbler-XYZ.png", {});
  const int held = open(output.c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(Thumbnail(input, output).status, 0);
  Bytes seen(1 << 16);
  const ssize_t got = read(held, seen.data(), seen.size());
  close(held);
  ASSERT_GT(got, 8);
  seen.resize(static_cast<std::size_t>(got));
  EXPECT_EQ(seen, ReadFileBytes(output));
  // Only the picture: no temporary file stays beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST_F(ThumbnailerTest, FilesWithoutAPictureFailWithOneLineAndLeaveNothing) {
  const std::string output = (dir.path() / "out.png").string();
  ExpectRefused(Thumbnail(dir.Write("notes.txt", Bytes(5000, 0x5A)), output), output, "no reader");
  ExpectRefused(Thumbnail(dir.Write("empty.dst", {}), output), output, "empty file");
  // A DST header and its end record: a design without stitches.
  ByteBuilder dst;
  dst.text("LA:LEER").padTo(512, ' ').bytes({0x00, 0x00, 0xF3});
  ExpectRefused(Thumbnail(dir.Write("leer.dst", dst), output), output, "empty design");
  ExpectRefused(Thumbnail(dir.Write("moves.sew", SewFile({{50, 0, Step::move}, {0, 40, Step::move}})), output),
                output, "only moves");
  ExpectRefused(Thumbnail((dir.path() / "missing.pes").string(), output), output, "missing file");
  fs::create_directory(dir.path() / "folder.pes");
  ExpectRefused(Thumbnail((dir.path() / "folder.pes").string(), output), output, "folder");

  // Larger than 32 MiB: refused before it is read (a sparse file).
  const std::string huge = dir.Write("huge.dst", {});
  fs::resize_file(huge, (std::uintmax_t{32} << 20) + 1);
  const HostRun run = Thumbnail(huge, output);
  ExpectRefused(run, output, "huge file");
  EXPECT_NE(run.err.find("32 MiB"), std::string::npos) << run.err;

  // A good design, but no folder to write into.
  const std::string good = dir.Write("good.sew", SewFile(ThreeBlocks(false, true)));
  const std::string nowhere = (dir.path() / "no-such-folder" / "out.png").string();
  ExpectRefused(Thumbnail(good, nowhere), nowhere, "output folder missing");
  // Files that are not what their name says: no picture.
  ByteBuilder text;
  text.text("Nur eine Notiz, kein Muster.\n").padTo(2000, ' ');
  ExpectRefused(Thumbnail(dir.Write("notiz.pes", text), output), output, "text named .pes");
  CPixelBuffer pixels;
  pixels.Resize(64, 64);
  for (std::size_t i = 0; i < pixels.pixels.size(); ++i) pixels.pixels[i] = i % 5 ? 0xFFFFFF : 0x103060;
  const HostRun png = Thumbnail(dir.Write("bild.dst", EncodePng(pixels)), output);
  ExpectRefused(png, output, "PNG named .dst");
  EXPECT_NE(png.err.find("holds no readable embroidery design"), std::string::npos) << png.err;
  // A name with a line break still gives one line.
  ExpectRefused(Thumbnail(dir.Write("two\nlines.txt", {}), output), output, "line break in the name");
}

TEST_F(ThumbnailerTest, InputUris) {
  const std::string input = dir.Write("Blume ä.sew", SewFile(ThreeBlocks(false, true)));
  const std::string output = (dir.path() / "out.png").string();
  const std::string escaped = FileUri(input).substr(7);
  EXPECT_EQ(RunWithInput("file://localhost" + escaped, output).status, 0);
  EXPECT_TRUE(fs::exists(output));
  fs::remove(output);
  EXPECT_EQ(RunWithInput("FILE://" + escaped, output).status, 0);
  fs::remove(output);

  ExpectRefused(RunWithInput("file://elsewhere" + escaped, output), output, "another host");
  ExpectRefused(RunWithInput("smb://server/share/a.pes", output), output, "another scheme");
  ExpectRefused(RunWithInput("file://" + escaped + "%zz", output), output, "broken escape");
  ExpectRefused(RunWithInput("file://" + escaped + "%00.sew", output), output, "escaped NUL");
  // file:///dir%2Fname.sew is one name with a slash in it, not dir/name.sew
  // (which exists here).
  std::string slashed = escaped;
  slashed.replace(slashed.rfind('/'), 1, "%2F");
  ExpectRefused(RunWithInput("file://" + slashed, output), output, "escaped slash");
  ExpectRefused(RunWithInput("file:relative.sew", output), output, "relative URI");
}

TEST_F(ThumbnailerTest, UsageErrors) {
  const std::string input = dir.Write("a.sew", SewFile(ThreeBlocks(false, true)));
  const std::string output = (dir.path() / "out.png").string();
  const fs::path bin = s_prefix->path() / "bin";
  for (const std::string size : {"0", "2049", "12x", "", "-5"})
    EXPECT_EQ(RunExec("nadelwerk-thumbnailer -s %s %i %o", {{"%s", size}, {"%i", input}, {"%o", output}}, bin).status, 2)
        << size;
  const HostRun missing = RunExec("nadelwerk-thumbnailer %i", {{"%i", input}}, bin);
  EXPECT_EQ(missing.status, 2);
  // The usage names every format of the table.
  for (const FormatEntry& f : Formats()) {
    const std::string ext = std::string(".") + f.name;
    EXPECT_TRUE(missing.err.find(ext + " ") != std::string::npos || missing.err.find(ext + ")") != std::string::npos)
        << f.name << ": " << missing.err;
  }
  EXPECT_EQ(RunExec("nadelwerk-thumbnailer --frame %i %o", {{"%i", input}, {"%o", output}}, bin).status, 2);
  EXPECT_FALSE(fs::exists(output));
  // Without -s the picture is 256 pixels.
  ASSERT_EQ(RunExec("nadelwerk-thumbnailer %i %o", {{"%i", input}, {"%o", output}}, bin).status, 0);
  Picture p;
  ASSERT_TRUE(ReadPicture(output, p));
  EXPECT_EQ(p.width, 256);
  // The smallest sizes still leave the drawing a pixel of room.
  for (const std::string size : {"1", "2", "3", "4"}) {
    const HostRun tiny = RunExec("nadelwerk-thumbnailer -s %s %i %o", {{"%s", size}, {"%i", input}, {"%o", output}}, bin);
    EXPECT_EQ(tiny.status, 0) << size << ": " << tiny.err;
    ASSERT_TRUE(ReadPicture(output, p)) << size;
    EXPECT_EQ(std::max(p.width, p.height), std::stoi(size));
  }
}

// OUTPUT is never the input, by any name, and an existing OUTPUT is written
// in place only when it is a regular file reached without a link.
TEST_F(ThumbnailerTest, OutputIsNeverTheInputNorFollowedThroughALink) {
  const Bytes design = SewFile(ThreeBlocks(false, true));
  const std::string input = dir.Write("a.sew", design);
  fs::create_symlink(input, dir.path() / "link.png");
  fs::create_hard_link(input, dir.path() / "hard.png");
  for (const std::string& output : {input, (dir.path() / "link.png").string(), (dir.path() / "hard.png").string()}) {
    const HostRun run = Thumbnail(input, output);
    EXPECT_NE(run.status, 0) << output;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(ReadFileBytes(input), design) << output;
  }
  // A link at OUTPUT to some other file: that file stays as it is.
  const Bytes other{'a', 'n', 'd', 'e', 'r', 's'};
  const std::string victim = dir.Write("andere.txt", other);
  fs::create_symlink(victim, dir.path() / "thumb.png");
  const HostRun run = Thumbnail(input, (dir.path() / "thumb.png").string());
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(ReadFileBytes(victim), other);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "thumb.png"));
  // A regular file is still written in place.
  const std::string plain = dir.Write("plain.png", {});
  ASSERT_EQ(Thumbnail(input, plain).status, 0);
  Picture p;
  EXPECT_TRUE(ReadPicture(plain, p));
}
