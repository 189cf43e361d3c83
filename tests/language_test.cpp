// The command-line programs in the user's language: English under the C
// locale, German under de_DE.UTF-8 (tools/install-deps.sh generates it),
// from the catalogue that po/ builds beside them in the build tree.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "tests/cli_runner.h"

namespace {

constexpr const char* kGerman = "de_DE.UTF-8";
constexpr const char* kNoGerman = " (is de_DE.UTF-8 generated? tools/install-deps.sh does it)";

// program with args, in an environment whose only language setting is
// LANG=lang; stdout and stderr together.
CliRun RunIn(const std::string& lang, const std::string& program, const std::string& args) {
  return RunShell("env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LC_CTYPE LANG=" + lang + " " + program + " " +
                  args + " 2>&1");
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

}  // namespace
