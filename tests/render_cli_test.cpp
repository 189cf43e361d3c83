// nadelwerk-cli render as a user runs it.
#include <algorithm>
#include <filesystem>

#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

// Width, height, bit depth and colour type from a PNG's IHDR chunk.
struct PngHeader {
  unsigned width = 0, height = 0, depth = 0, colorType = 0;
};
PngHeader ReadPngHeader(const std::string& path) {
  const Bytes b = ReadFileBytes(path);
  PngHeader h;
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (b.size() < 33 || !std::equal(kSignature, kSignature + 8, b.begin())) return h;
  auto be32 = [&](std::size_t o) {
    return (unsigned{b[o]} << 24) | (unsigned{b[o + 1]} << 16) | (unsigned{b[o + 2]} << 8) | b[o + 3];
  };
  h.width = be32(16);
  h.height = be32(20);
  h.depth = b[24];
  h.colorType = b[25];
  return h;
}

Bytes SmallDst() {
  ByteBuilder b;
  b.fill(512, ' ').bytes({0x05, 0x05, 0x07, 0x00, 0x00, 0xC3, 0x80, 0x00, 0x83, 0x00, 0x00, 0xF3});
  return b;
}

}  // namespace

TEST(CliRenderTest, WritesTheFrameAsRgbPng) {
  TempDir dir;
  const std::string in = dir.Write("a.dst", SmallDst());
  const std::string out = (dir.path() / "a.png").string();
  ASSERT_EQ(CliStatus("render " + in + " " + out), 0);
  PngHeader h = ReadPngHeader(out);
  EXPECT_EQ(h.width, 262u);
  EXPECT_EQ(h.height, 330u);
  EXPECT_EQ(h.depth, 8u);
  EXPECT_EQ(h.colorType, 2u);  // RGB

  ASSERT_EQ(CliStatus("render " + in + " " + out +
                   " --zoom 300 --rotate 3 --scroll 100,40 --size 640x480"),
            0);
  h = ReadPngHeader(out);
  EXPECT_EQ(h.width, 640u);
  EXPECT_EQ(h.height, 480u);

  ASSERT_EQ(CliStatus("render " + in + " --thumbnail " + out), 0);
  h = ReadPngHeader(out);
  EXPECT_EQ(h.width, 105u);
  EXPECT_EQ(h.height, 100u);
}

TEST(CliRenderTest, BadArgumentsAndFilesGiveTheirExitCodes) {
  TempDir dir;
  const std::string in = dir.Write("a.dst", SmallDst());
  const std::string out = (dir.path() / "a.png").string();
  for (const char* bad : {" --zoom 110", " --zoom", " --rotate 4", " --scroll 50",
                          " --scroll 101,0", " --size 0x10", " --size 10x", " --fast"})
    EXPECT_EQ(CliStatus("render " + in + " " + out + bad), 2) << bad;
  EXPECT_EQ(CliStatus("render " + in), 2);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(CliStatus("render " + (dir.path() / "missing.dst").string() + " " + out), 1);
  EXPECT_EQ(CliStatus("render " + in + " " + (dir.path() / "no" / "a.png").string()), 1);
}
