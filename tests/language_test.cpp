// The command-line programs in the user's language: English under the C
// locale, German under de_DE.UTF-8 (tools/install-deps.sh generates it),
// from the catalogue that po/ builds beside them in the build tree.
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Outcome {
  int status = -1;
  std::string text;  // stdout and stderr together
};

// program with args, in an environment whose only language setting is
// LANG=lang.
Outcome RunIn(const std::string& lang, const std::string& program, const std::string& args) {
  const std::string command = "env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LC_CTYPE LANG=" + lang + " " +
                              program + " " + args + " 2>&1";
  Outcome run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  std::size_t got;
  while ((got = fread(buf, 1, sizeof buf, pipe)) > 0) run.text.append(buf, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

constexpr const char* kGerman = "de_DE.UTF-8";
constexpr const char* kNoGerman = " (is de_DE.UTF-8 generated? tools/install-deps.sh does it)";

// Every line that says something is translated, line for line: a text left
// out of the catalogue, or a catalogue that is not found, shows as an
// English line in the German output.
void ExpectTranslatedLineByLine(const std::string& english, const std::string& german) {
  const auto en = Lines(english), de = Lines(german);
  ASSERT_EQ(en.size(), de.size()) << english << "\n---\n" << german;
  for (std::size_t i = 0; i < en.size(); ++i) {
    if (en[i].empty()) {
      EXPECT_TRUE(de[i].empty()) << de[i];
      continue;
    }
    EXPECT_NE(en[i], de[i]) << "line " << i + 1 << " is not translated" << kNoGerman;
  }
}

TEST(LanguageTest, CliHelpIsEnglishUnderCAndGermanUnderAGermanLocale) {
  const Outcome english = RunIn("C", NADELWERK_CLI, "--help");
  const Outcome german = RunIn(kGerman, NADELWERK_CLI, "--help");
  EXPECT_EQ(english.status, 0);
  EXPECT_EQ(german.status, 0);
  EXPECT_EQ(english.text.rfind("usage: nadelwerk-cli COMMAND [ARGS]\n", 0), 0u) << english.text;
  EXPECT_EQ(german.text.rfind("Aufruf: nadelwerk-cli BEFEHL [ARGUMENTE]\n", 0), 0u) << german.text << kNoGerman;
  // The window's words, and the written formats' list joined in German.
  EXPECT_NE(german.text.find("Designinformationen"), std::string::npos);
  EXPECT_NE(german.text.find(" oder "), std::string::npos);
  ExpectTranslatedLineByLine(english.text, german.text);
  // Without a command the help goes to stderr with the usage status, in
  // the same language.
  const Outcome bare = RunIn(kGerman, NADELWERK_CLI, "");
  EXPECT_EQ(bare.status, 2);
  EXPECT_EQ(bare.text, german.text);
}

TEST(LanguageTest, UnknownCommandIsReportedInTheUsersLanguage) {
  const Outcome english = RunIn("C", NADELWERK_CLI, "frobnicate");
  const Outcome german = RunIn(kGerman, NADELWERK_CLI, "frobnicate");
  EXPECT_EQ(english.status, 2);
  EXPECT_EQ(german.status, 2);
  EXPECT_EQ(english.text, "nadelwerk-cli: unknown command 'frobnicate' (try --help)\n");
  EXPECT_EQ(german.text, "nadelwerk-cli: unbekannter Befehl \xC2\xBB" "frobnicate\xC2\xAB (siehe --help)\n")
      << kNoGerman;
}

TEST(LanguageTest, ThumbnailerUsageFollowsTheLocale) {
  const Outcome english = RunIn("C", NADELWERK_THUMBNAILER, "--help");
  const Outcome german = RunIn(kGerman, NADELWERK_THUMBNAILER, "--help");
  EXPECT_EQ(english.status, 0);
  EXPECT_EQ(german.status, 0);
  EXPECT_EQ(english.text.rfind("usage: nadelwerk-thumbnailer [-s SIZE] INPUT OUTPUT\n", 0), 0u) << english.text;
  EXPECT_NE(german.text.find("GR\xC3\x96SSE"), std::string::npos) << german.text << kNoGerman;
  ExpectTranslatedLineByLine(english.text, german.text);
  // A usage error prints the same text on stderr.
  const Outcome wrong = RunIn(kGerman, NADELWERK_THUMBNAILER, "--frobnicate");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.text, german.text);
}

TEST(LanguageTest, ALocaleWithoutCatalogueGivesEnglish) {
  // Generated or not, no catalogue of ours is Swahili.
  const Outcome other = RunIn("sw_KE.UTF-8", NADELWERK_CLI, "frobnicate");
  EXPECT_EQ(other.status, 2);
  EXPECT_EQ(other.text, "nadelwerk-cli: unknown command 'frobnicate' (try --help)\n");
}

}  // namespace
