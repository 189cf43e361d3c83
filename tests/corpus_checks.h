// Checks of a format's reader and writer against the corpus: conversions
// there and back, the format's plausibility test on its own files. (The
// same design in two formats is compared in twin_test.cpp.)
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/sewing_compare.h"
#include "tests/test_support.h"

// Every corpus file of the format, converted to the other format and back
// to its own, sews what it sewed: every penetration, travel and colour
// change. A design that the format's writer refuses must be refused with a
// message that holds refusalText.
inline void ExpectRoundTripThrough(const char* via, const char* format, const std::string& refusalText) {
  const auto files = CorpusFiles(format);
  if (files.empty()) GTEST_SKIP() << "corpus folder not present";
  TempDir dir;
  int kept = 0;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    CHeadlessViewer viewer(kMemoryOnly);
    ASSERT_EQ(viewer.Load(ReadFileBytes(file), file.filename().string()), LoadOutcome::loaded);
    const std::vector<SewingStep> source = SewingSteps(viewer.dlg);
    const int colors = viewer.dlg.m_nColorCount;
    const std::string there = std::string("there.") + via, back = std::string("back.") + format;
    ASSERT_EQ(viewer.Save(*FindFormat(via), there), SaveOutcome::written);
    ASSERT_EQ(viewer.Load(there), LoadOutcome::loaded);
    if (viewer.Save(*FindFormat(format), back) == SaveOutcome::refused) {
      ASSERT_FALSE(viewer.platform.messages.empty());
      EXPECT_NE(viewer.platform.messages.back().find(refusalText), std::string::npos)
          << viewer.platform.messages.back();
      continue;
    }
    ASSERT_EQ(viewer.Load(back), LoadOutcome::loaded);
    EXPECT_EQ(SewingDifference(source, SewingSteps(viewer.dlg), 0), "");
    EXPECT_EQ(viewer.dlg.m_nColorCount, colors);
    ++kept;
  }
  EXPECT_GT(kept, 0);
}

// Every corpus file of the format passes its row's plausibility test.
inline void ExpectCorpusPlausible(const char* format) {
  const FormatEntry& entry = *FindFormat(format);
  ASSERT_NE(entry.plausible, nullptr);
  for (const auto& file : CorpusFiles(format)) {
    const Bytes bytes = ReadFileBytes(file);
    EXPECT_TRUE(entry.plausible(ByteView(bytes, static_cast<int>(bytes.size())))) << file;
  }
}

// What an encoder makes of the design, where it must not refuse it.
inline Bytes EncodedBytes(Encoder encode, const CDesign& design) {
  const CEncoded e = encode(design, CEncodeRequest{"stem"});
  EXPECT_FALSE(e.Refused()) << e.refusal;
  return e.bytes;
}

// The bytes of the corpus file of that name in the format's folder; empty
// (and the test skipped) when the corpus is absent, a failure when the file
// is missing from it.
inline Bytes CorpusBytes(const char* format, const std::string& name) {
  const auto files = CorpusFiles(format);
  if (files.empty()) return {};
  const auto file = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.filename() == name; });
  if (file == files.end()) ADD_FAILURE() << name << " is not in the corpus";
  return file == files.end() ? Bytes{} : ReadFileBytes(*file);
}
