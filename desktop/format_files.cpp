// Writes the files that name the formats, from the format table:
//   nadelwerk-format-files TEMPLATE_DIR OUT_DIR RELEASE_DATE [NAME...]
// makes OUT_DIR/nadelwerk.xml (the shared-mime-info package),
// OUT_DIR/formats.substvars (the Debian package's description) and OUT_DIR/NAME
// from each TEMPLATE_DIR/NAME.in: the .desktop and thumbnailer entries, the
// AppStream metainfo, the man pages and the shell completion. @KEY@ in a
// template stands for a list from the table (Substituted), the version of
// project() or RELEASE_DATE (YYYY-MM-DD).
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "framework/version.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return s;
}

// s with each character of the table replaced by its text.
std::string Escaped(const std::string& s, std::initializer_list<std::pair<char, const char*>> table) {
  std::string out;
  for (char c : s) {
    const auto* hit = std::find_if(table.begin(), table.end(), [c](const auto& e) { return e.first == c; });
    if (hit != table.end()) out += hit->second;
    else out += c;
  }
  return out;
}

std::string XmlText(const std::string& s) {
  return Escaped(s, {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}});
}

// A signature as a shared-mime-info string value: printable bytes as they
// are, every other byte as \xHH.
std::string MagicValue(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c > 0x20 && c < 0x7F && c != '\\' && c != '"' && c != '&' && c != '<' && c != '>') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

std::string MimePackage() {
  std::ostringstream xml;
  xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!-- The design files the viewer opens: by extension in any case, and by\n"
         "     content where a format has a signature. Made from the format table. -->\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const FormatEntry& f : Formats()) {
    std::string german = f.title;
    for (char& c : german)
      if (c == ' ') c = '-';
    xml << "  <mime-type type=\"" << f.mimeType << "\">\n"
        << "    <comment>" << XmlText(f.title) << " embroidery design</comment>\n"
        << "    <comment xml:lang=\"de\">" << XmlText(german) << "-Stickdatei</comment>\n"
        << "    <generic-icon name=\"image-x-generic\"/>\n"
        << "    <glob pattern=\"*." << f.name << "\" case-sensitive=\"false\"";
    if (f.globWeight != 50) xml << " weight=\"" << f.globWeight << "\"";
    xml << "/>\n";
    if (!f.signatures.empty()) {
      xml << "    <magic priority=\"50\">\n";
      for (const CSignature& s : f.signatures)
        xml << "      <match type=\"string\" offset=\"" << s.offset << "\" value=\"" << MagicValue(s.bytes)
            << "\"/>\n";
      xml << "    </magic>\n";
    }
    xml << "  </mime-type>\n";
  }
  xml << "</mime-info>\n";
  return xml.str();
}

// "DST, PCS or PES": the upper-cased names of the formats, written ones only
// or all, with the word before the last.
std::string NameList(bool writtenOnly, const char* lastWord) {
  std::vector<std::string> names;
  for (const FormatEntry& f : Formats())
    if (f.encode || !writtenOnly) names.push_back(Upper(f.name));
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) out += i + 1 == names.size() ? std::string(" ") + lastWord + " " : ", ";
    out += names[i];
  }
  return out;
}

// "pes|pec|dst": the lower-case names joined, for the completion's patterns
// and the man pages' synopsis.
std::string Joined(bool writtenOnly, const char* separator) {
  std::string out;
  for (const FormatEntry& f : Formats())
    if (f.encode || !writtenOnly) out += (out.empty() ? "" : separator) + std::string(f.name);
  return out;
}

// Text for a roff line that does not begin a request: hyphens as minus signs,
// backslashes escaped.
std::string RoffText(const std::string& s) { return Escaped(s, {{'-', "\\-"}, {'\\', "\\e"}}); }

// One tagged paragraph per format: its name, title, file pattern and MIME
// type, and whether it is written.
std::string FormatsRoff(bool sayWritten) {
  std::string out;
  for (const FormatEntry& f : Formats()) {
    out += ".TP\n.B " + std::string(f.name) + "\n" + RoffText(f.title) + " (\\fI*." + f.name + "\\fR, " +
           RoffText(f.mimeType) + ")";
    if (sayWritten) out += f.encode ? ": read and written" : ": read";
    out += "\n";
  }
  return out;
}

std::string MediaTypes() {
  std::string out;
  for (const FormatEntry& f : Formats()) out += "    <mediatype>" + XmlText(f.mimeType) + "</mediatype>\n";
  return out;
}

std::string Substituted(std::string text, const std::string& date) {
  std::string types, names;
  for (const FormatEntry& f : Formats()) {
    types += std::string(f.mimeType) + ";";
    names += Upper(f.name) + ";";
  }
  const std::pair<std::string, std::string> keys[] = {
      {"@MIME_TYPES@", types},
      {"@FORMAT_NAMES@", names},
      {"@WRITTEN_EN@", NameList(true, "or")},
      {"@WRITTEN_DE@", NameList(true, "oder")},
      {"@WRITTEN_AND_EN@", NameList(true, "and")},
      {"@WRITTEN_AND_DE@", NameList(true, "und")},
      {"@READ_EN@", NameList(false, "and")},
      {"@READ_DE@", NameList(false, "und")},
      {"@READ_EXTENSIONS@", Joined(false, "|")},
      {"@WRITTEN_EXTENSIONS@", Joined(true, "|")},
      {"@WRITTEN_WORDS@", Joined(true, " ")},
      {"@MEDIA_TYPES@", MediaTypes()},
      {"@FORMATS_ROFF@", FormatsRoff(true)},
      {"@READ_FORMATS_ROFF@", FormatsRoff(false)},
      {"@VERSION@", kAppVersion},
      {"@DATE@", date}};
  for (const auto& [key, value] : keys)
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  return text;
}

// The formats that the Debian package's description names, as dpkg
// substitution variables; optional (?=), as the debug symbols' package
// does not use them.
std::string SubstVars() {
  return "nadelwerk:Read?=" + NameList(false, "and") + "\nnadelwerk:Written?=" + NameList(true, "and") + "\n";
}

bool Write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::fprintf(stderr, "nadelwerk-format-files: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

bool FromTemplate(const std::string& templates, const std::string& out, const std::string& name,
                  const std::string& date) {
  std::ifstream in(templates + "/" + name + ".in", std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "nadelwerk-format-files: cannot read %s/%s.in\n", templates.c_str(), name.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return Write(out + "/" + name, Substituted(text.str(), date));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: nadelwerk-format-files TEMPLATE_DIR OUT_DIR RELEASE_DATE [TEMPLATE...]\n");
    return 2;
  }
  const std::string templates = argv[1], out = argv[2], date = argv[3];
  bool ok = Write(out + "/nadelwerk.xml", MimePackage()) && Write(out + "/formats.substvars", SubstVars());
  for (int i = 4; ok && i < argc; ++i) ok = FromTemplate(templates, out, argv[i], date);
  return ok ? 0 : 1;
}
