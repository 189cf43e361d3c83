// Writes the desktop files that name the formats, from the format table:
//   nadelwerk-format-files TEMPLATE_DIR OUT_DIR
// makes OUT_DIR/nadelwerk.xml (the shared-mime-info package) and, from the
// templates, nadelwerk.desktop and nadelwerk.thumbnailer.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/formats.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return s;
}

std::string XmlText(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
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

// "DST, PCS or PES" with the word for "or".
std::string WrittenList(const char* orWord) {
  std::vector<std::string> names;
  for (const FormatEntry& f : Formats())
    if (f.encode) names.push_back(Upper(f.name));
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) out += i + 1 == names.size() ? std::string(" ") + orWord + " " : ", ";
    out += names[i];
  }
  return out;
}

std::string Substituted(std::string text) {
  std::string types, names;
  for (const FormatEntry& f : Formats()) {
    types += std::string(f.mimeType) + ";";
    names += Upper(f.name) + ";";
  }
  const std::pair<std::string, std::string> keys[] = {{"@MIME_TYPES@", types},
                                                      {"@FORMAT_NAMES@", names},
                                                      {"@WRITTEN_EN@", WrittenList("or")},
                                                      {"@WRITTEN_DE@", WrittenList("oder")}};
  for (const auto& [key, value] : keys)
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  return text;
}

bool Write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::fprintf(stderr, "nadelwerk-format-files: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

bool FromTemplate(const std::string& templates, const std::string& out, const std::string& name) {
  std::ifstream in(templates + "/" + name + ".in", std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "nadelwerk-format-files: cannot read %s/%s.in\n", templates.c_str(), name.c_str());
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return Write(out + "/" + name, Substituted(text.str()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nadelwerk-format-files TEMPLATE_DIR OUT_DIR\n");
    return 2;
  }
  const std::string templates = argv[1], out = argv[2];
  const bool ok = Write(out + "/nadelwerk.xml", MimePackage()) &&
                  FromTemplate(templates, out, "nadelwerk.desktop") &&
                  FromTemplate(templates, out, "nadelwerk.thumbnailer");
  return ok ? 0 : 1;
}
