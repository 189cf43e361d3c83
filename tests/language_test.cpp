// The command-line programs in the user's language: English under the C
// locale, German under de_DE.UTF-8 (tools/install-deps.sh generates it),
// from the catalogue that po/ builds beside them in the build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "framework/file_error.h"
#include "framework/window_words.h"
#include "tests/cli_runner.h"
#include "tests/test_support.h"

namespace {

constexpr const char* kGerman = "de_DE.UTF-8";
constexpr const char* kNoGerman = " (is de_DE.UTF-8 generated? tools/install-deps.sh does it)";

// program with args, in an environment whose only language setting is
// LANG=lang; stdout and stderr together.
CliRun RunIn(const std::string& lang, const std::string& program, const std::string& args,
             const std::string& language = "") {
  return RunShell("env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LC_CTYPE LANG=" + lang +
                  (language.empty() ? "" : " LANGUAGE=" + language) + " " + program + " " + args + " 2>&1");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The help of program (--help) under both locales: it starts with the
// given first lines, and every line that says something is translated,
// line for line (a text left out of the catalogue, or a catalogue that is
// not found, shows as an English line in the German help). A usage error
// (usageArgs) prints the same German text with status 2. Returns the German
// help.
std::string ExpectHelpInBothLanguages(const char* program, const std::string& englishStart,
                                      const std::string& germanStart, const std::string& usageArgs) {
  const CliRun english = RunIn("C", program, "--help");
  const CliRun german = RunIn(kGerman, program, "--help");
  EXPECT_EQ(english.status, 0);
  EXPECT_EQ(german.status, 0);
  EXPECT_EQ(english.out.rfind(englishStart + "\n", 0), 0u) << english.out;
  EXPECT_EQ(german.out.rfind(germanStart + "\n", 0), 0u) << german.out << kNoGerman;
  const auto en = Lines(english.out), de = Lines(german.out);
  EXPECT_EQ(en.size(), de.size()) << english.out << "\n---\n" << german.out;
  for (std::size_t i = 0; i < en.size() && i < de.size(); ++i) {
    if (en[i].empty())
      EXPECT_TRUE(de[i].empty()) << de[i];
    else
      EXPECT_NE(en[i], de[i]) << "line " << i + 1 << " is not translated" << kNoGerman;
  }
  const CliRun wrong = RunIn(kGerman, program, usageArgs);
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, german.out);
  return german.out;
}

TEST(LanguageTest, CliHelpIsEnglishUnderCAndGermanUnderAGermanLocale) {
  // Without a command the help goes to stderr.
  const std::string german = ExpectHelpInBothLanguages(NADELWERK_CLI, "usage: nadelwerk-cli COMMAND [ARGS]",
                                                       "Aufruf: nadelwerk-cli BEFEHL [ARGUMENTE]", "");
  // The window's words, and the written formats joined in German.
  EXPECT_NE(german.find("Designinformationen"), std::string::npos);
  std::vector<std::string> written;
  for (const FormatEntry& f : Formats())
    if (f.encode) written.push_back(std::string(".") + f.name);
  ASSERT_GE(written.size(), 2u);
  EXPECT_NE(german.find(written[written.size() - 2] + " oder " + written.back() + ")"), std::string::npos) << german;
}

TEST(LanguageTest, ThumbnailerUsageFollowsTheLocale) {
  const std::string german = ExpectHelpInBothLanguages(
      NADELWERK_THUMBNAILER, "usage: nadelwerk-thumbnailer [-s SIZE] INPUT OUTPUT",
      "Aufruf: nadelwerk-thumbnailer [-s GR\xC3\x96SSE] EINGABE AUSGABE", "--frobnicate");
  // The extensions come from the format table.
  std::string extensions;
  for (const FormatEntry& f : Formats()) extensions += (extensions.empty() ? "(." : " .") + std::string(f.name);
  EXPECT_NE(german.find(extensions + "), als Pfad"), std::string::npos) << german;
  EXPECT_NE(german.find("vorgegeben 256, h\xC3\xB6" "chstens 2048"), std::string::npos) << german;
}

TEST(LanguageTest, UnknownCommandIsReportedInTheUsersLanguage) {
  const CliRun english = RunIn("C", NADELWERK_CLI, "frobnicate");
  const CliRun german = RunIn(kGerman, NADELWERK_CLI, "frobnicate");
  EXPECT_EQ(english.status, 2);
  EXPECT_EQ(german.status, 2);
  EXPECT_EQ(english.out, "nadelwerk-cli: unknown command 'frobnicate' (try --help)\n");
  EXPECT_EQ(german.out, "nadelwerk-cli: unbekannter Befehl \xC2\xBB" "frobnicate\xC2\xAB (siehe --help)\n")
      << kNoGerman;
  // Generated or not, no catalogue of ours is Swahili: English.
  EXPECT_EQ(RunIn("sw_KE.UTF-8", NADELWERK_CLI, "frobnicate").out, english.out);
}

// ---- the messages of the commands and of the window ----

// A translator as a program sets it: the pieces go where the translation
// puts them, and the window (no translator) keeps its German.
const char* TestTranslator(const char* german) {
  if (std::string(german) == "%s wurde nicht gefunden.") return "Not found: %s (100%%)";
  if (std::string(german) == "eine unbenannte Datei") return "a nameless file";
  return german;
}

TEST(LanguageTest, WindowTextsAreFilledAfterTheyAreTranslated) {
  const CFileException missing{FileCause::fileNotFound, "/tmp/a %s b.dst"};
  const CFileException unnamed{FileCause::fileNotFound, {}};
  EXPECT_EQ(FileErrorMessage(missing), "/tmp/a %s b.dst wurde nicht gefunden.");
  SetWindowWords(TestTranslator);
  // A %s in the name is the name's, not a place for a piece.
  EXPECT_EQ(FileErrorMessage(missing), "Not found: /tmp/a %s b.dst (100%)");
  EXPECT_EQ(FileErrorMessage(unnamed), "Not found: a nameless file (100%)");
  // A text without a translation stays as it is written.
  EXPECT_EQ(FileErrorMessage({FileCause::accessDenied, "x"}), "Zugriff auf x wurde verwehrt.");
  SetWindowWords(nullptr);
  EXPECT_EQ(FileErrorMessage(unnamed), "eine unbenannte Datei wurde nicht gefunden.");
  // More places than pieces: the extra one is left out.
  EXPECT_EQ(Filled("%s und %s", {"eins"}), "eins und ");
}

// Words of the German texts (the programs' and the window's) that no
// English message holds.
const std::regex kGermanWord("\\b(Aufruf|nicht|wurde|kein|keine|enth|Konvertierung|Farben|Stiche|Ziel|Quelle|"
                             "geschrieben|lokale|Datei|Rahmen)\\b");

struct BothRuns {
  std::string english, german;  // stdout and stderr, dir's path shown as DIR
};

std::string WithoutDir(std::string text, const TempDir& dir) {
  const std::string path = dir.path().string();
  for (auto at = text.find(path); at != std::string::npos; at = text.find(path, at))
    text.replace(at, path.size(), "DIR");
  return text;
}

// program with args under C and under de_DE.UTF-8, both with the given
// status: the same number of lines, every line that says something in
// other words (a text that a catalogue lacks, or a catalogue not found,
// shows as an English line in the German), and the English in ASCII
// without a German word.
BothRuns ExpectInBothLanguages(const char* program, const std::string& args, const TempDir& dir, int status) {
  const CliRun english = RunIn("C", program, args), german = RunIn(kGerman, program, args);
  EXPECT_EQ(english.status, status) << args;
  EXPECT_EQ(german.status, status) << args;
  BothRuns runs{WithoutDir(english.out, dir), WithoutDir(german.out, dir)};
  const auto en = Lines(runs.english), de = Lines(runs.german);
  EXPECT_FALSE(en.empty()) << args;
  EXPECT_EQ(en.size(), de.size()) << runs.english << "\n---\n" << runs.german;
  for (std::size_t i = 0; i < en.size() && i < de.size(); ++i) {
    if (en[i].empty()) continue;
    EXPECT_NE(en[i], de[i]) << "not translated" << kNoGerman;
  }
  for (unsigned char c : runs.english) EXPECT_LT(c, 0x80) << runs.english;
  EXPECT_FALSE(std::regex_search(runs.english, kGermanWord)) << runs.english;
  return runs;
}

// A DST file: the 512-byte header of blanks, then blocks of the given
// stitch record (three bytes), a colour change between two blocks, and the
// end record.
Bytes DstOf(int blocks, int stitches, std::initializer_list<unsigned> stitch) {
  ByteBuilder b;
  b.fill(512, ' ');
  for (int k = 0; k < blocks; ++k) {
    if (k) b.bytes({0x00, 0x00, 0xC3});
    for (int i = 0; i < stitches; ++i) b.bytes(stitch);
  }
  b.bytes({0x00, 0x00, 0xF3});
  return b;
}

TEST(LanguageTest, UsageErrorsOfEveryCommandFollowTheLocale) {
  TempDir dir;
  for (const std::string command : {"info", "dump", "convert", "render", "sheet"}) {
    const BothRuns runs = ExpectInBothLanguages(NADELWERK_CLI, command, dir, 2);
    EXPECT_EQ(runs.english.rfind("usage: nadelwerk-cli " + command + " ", 0), 0u) << runs.english;
    EXPECT_EQ(runs.german.rfind("Aufruf: nadelwerk-cli " + command + " ", 0), 0u) << runs.german;
  }
  // The output that names no written format is told so in the user's words.
  const BothRuns wrong = ExpectInBothLanguages(NADELWERK_CLI, "convert a.dst b.txt", dir, 2);
  EXPECT_NE(wrong.english.find("nadelwerk-cli: b.txt: the output must end in ."), std::string::npos);
  EXPECT_NE(wrong.german.find("nadelwerk-cli: b.txt: das Ziel muss auf ."), std::string::npos);
}

// The window's file-error reports and its notice for a file that is not
// what its name says: German under a German locale, as the window shows
// them, English otherwise, with the file's name where the text has it.
TEST(LanguageTest, TheWindowsFileMessagesAreEnglishOutsideGerman) {
  TempDir dir;
  dir.Write("notiz.pes", ByteBuilder().text("Nur eine Notiz.\n"));
  dir.Write("notes.txt", ByteBuilder().text("hello"));
  const std::string at = dir.path().string() + "/";
  const BothRuns missing = ExpectInBothLanguages(NADELWERK_CLI, "info " + at + "fehlt.dst", dir, 1);
  EXPECT_EQ(missing.english, "nadelwerk-cli: DIR/fehlt.dst: DIR/fehlt.dst was not found.\n");
  EXPECT_EQ(missing.german, "nadelwerk-cli: DIR/fehlt.dst: DIR/fehlt.dst wurde nicht gefunden.\n");
  const BothRuns text = ExpectInBothLanguages(NADELWERK_CLI, "dump " + at + "notiz.pes", dir, 1);
  EXPECT_EQ(text.english, "nadelwerk-cli: DIR/notiz.pes: DIR/notiz.pes holds no readable embroidery design.\n");
  EXPECT_EQ(text.german, "nadelwerk-cli: DIR/notiz.pes: DIR/notiz.pes enth\xC3\xA4lt kein lesbares Stickmuster.\n");
  const BothRuns noReader = ExpectInBothLanguages(NADELWERK_CLI, "info " + at + "notes.txt", dir, 1);
  EXPECT_EQ(noReader.english, "nadelwerk-cli: DIR/notes.txt: not a design file (no reader for its extension)\n");
  EXPECT_EQ(noReader.german.rfind("nadelwerk-cli: DIR/notes.txt: keine Stickdatei (", 0), 0u) << noReader.german;

  // Any other language is English too: one without a catalogue of ours
  // asked for by LANGUAGE under a locale that gettext honours (the fallback
  // to English through LANGUAGE), and one that this machine lacks.
  const std::string args = "info " + at + "fehlt.dst";
  EXPECT_EQ(WithoutDir(RunIn(kGerman, NADELWERK_CLI, args, "fr").out, dir), missing.english) << kNoGerman;
  EXPECT_EQ(WithoutDir(RunIn("fr_FR.UTF-8", NADELWERK_CLI, args).out, dir), missing.english);
  EXPECT_EQ(WithoutDir(RunIn("C.UTF-8", NADELWERK_CLI, args).out, dir), missing.english);
  // German as the user's second choice, or asked for by LANGUAGE under
  // C.UTF-8: the programs and the window alike. Under C gettext ignores
  // LANGUAGE, and so does the window's English.
  EXPECT_EQ(WithoutDir(RunIn(kGerman, NADELWERK_CLI, args, "fr:de").out, dir), missing.german) << kNoGerman;
  EXPECT_EQ(WithoutDir(RunIn("C.UTF-8", NADELWERK_CLI, args, "de").out, dir), missing.german);
  EXPECT_EQ(WithoutDir(RunIn("C", NADELWERK_CLI, args, "de").out, dir), missing.english);
}

TEST(LanguageTest, WriterRefusalsFollowTheLocale) {
  TempDir dir;
  // Thirteen colours of a stitch X +1 (0x01 0x00 0x03): more than SEW holds.
  const std::string bunt = dir.Write("bunt.dst", DstOf(13, 1, {0x01, 0x00, 0x03}));
  const BothRuns colours = ExpectInBothLanguages(
      NADELWERK_CLI, "convert " + bunt + " " + dir.path().string() + "/bunt.sew", dir, 1);
  EXPECT_EQ(colours.english, "nadelwerk-cli: DIR/bunt.dst: More than 12 colours, conversion cancelled\n");
  EXPECT_EQ(colours.german, "nadelwerk-cli: DIR/bunt.dst: Mehr als 12 Farben, Konvertierung abgebrochen\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "bunt.sew"));

  // 25 stitches of X +121 (0x05 0x05 0x07): about 300 mm wide, no Janome
  // hoop takes it. The sizes are pieces of the text, in both languages.
  const std::string wide = dir.Write("breit.dst", DstOf(1, 25, {0x05, 0x05, 0x07}));
  const BothRuns hoop = ExpectInBothLanguages(
      NADELWERK_CLI, "convert " + wide + " " + dir.path().string() + "/breit.jef", dir, 1);
  const std::string enTail = " mm fits no Janome hoop (at most 200.0 x 200.0 mm), conversion cancelled\n";
  const std::string deTail = " mm passt in keinen Janome-Rahmen (h\xC3\xB6" "chstens 200.0 x 200.0 mm), "
                             "Konvertierung abgebrochen\n";
  ASSERT_GT(hoop.english.size(), enTail.size());
  ASSERT_GT(hoop.german.size(), deTail.size());
  const std::string enSizes = hoop.english.substr(0, hoop.english.size() - enTail.size());
  EXPECT_EQ(hoop.english.substr(enSizes.size()), enTail);
  EXPECT_EQ(hoop.german, enSizes + deTail);
  EXPECT_TRUE(std::regex_match(enSizes, std::regex("nadelwerk-cli: DIR/breit\\.dst: Design [0-9]+\\.[0-9] x [0-9]+\\.[0-9]"))) << enSizes;
}

// A batch's skip, its file errors named by input, and its summary.
TEST(LanguageTest, BatchMessagesAndSummaryFollowTheLocale) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "aus");
  const std::string small = dir.Write("klein.dst", DstOf(1, 3, {0x01, 0x00, 0x03}));
  dir.Write("aus/klein.pcs", ByteBuilder().text("kept"));
  const std::string args =
      "convert --to pcs -o " + (dir.path() / "aus").string() + " " + small + " " + dir.path().string() + "/fehlt.dst";
  const BothRuns batch = ExpectInBothLanguages(NADELWERK_CLI, args, dir, 1);
  EXPECT_EQ(batch.english,
            "nadelwerk-cli: DIR/klein.dst: skipped, DIR/aus/klein.pcs exists and is kept (--force replaces it)\n"
            "nadelwerk-cli: DIR/fehlt.dst: DIR/fehlt.dst was not found.\n"
            "nadelwerk-cli: 0 written, 1 skipped, 0 refused, 1 failed\n");
  EXPECT_EQ(batch.german,
            "nadelwerk-cli: DIR/klein.dst: \xC3\xBC" "bersprungen, DIR/aus/klein.pcs ist vorhanden und bleibt "
            "(--force ersetzt es)\n"
            "nadelwerk-cli: DIR/fehlt.dst: DIR/fehlt.dst wurde nicht gefunden.\n"
            "nadelwerk-cli: 0 geschrieben, 1 \xC3\xBC" "bersprungen, 0 abgelehnt, 1 fehlgeschlagen\n");
}

TEST(LanguageTest, ThumbnailerFailuresFollowTheLocale) {
  TempDir dir;
  const std::string at = dir.path().string() + "/";
  const std::string notes = dir.Write("notes.txt", ByteBuilder().text("hello"));
  const BothRuns noReader = ExpectInBothLanguages(NADELWERK_THUMBNAILER, notes + " " + at + "a.png", dir, 1);
  EXPECT_EQ(noReader.english,
            "nadelwerk-thumbnailer: DIR/notes.txt: not a design file (no reader for its extension)\n");
  EXPECT_EQ(noReader.german.rfind("nadelwerk-thumbnailer: DIR/notes.txt: keine Stickdatei (", 0), 0u);
  // The window's report, as the reason.
  const BothRuns missing = ExpectInBothLanguages(NADELWERK_THUMBNAILER, at + "fehlt.pes " + at + "a.png", dir, 1);
  EXPECT_EQ(missing.english, "nadelwerk-thumbnailer: DIR/fehlt.pes: DIR/fehlt.pes was not found.\n");
  EXPECT_EQ(missing.german, "nadelwerk-thumbnailer: DIR/fehlt.pes: DIR/fehlt.pes wurde nicht gefunden.\n");
  const BothRuns remote = ExpectInBothLanguages(NADELWERK_THUMBNAILER, "smb://host/a.pes " + at + "a.png", dir, 1);
  EXPECT_EQ(remote.english, "nadelwerk-thumbnailer: smb://host/a.pes: not a local file\n");
  EXPECT_EQ(remote.german, "nadelwerk-thumbnailer: smb://host/a.pes: keine lokale Datei\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.png"));
}

}  // namespace
