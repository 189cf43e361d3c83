#include "export/encoder.h"

std::string DefaultSaveName(const std::string& loadedName) {
  const auto dot = loadedName.rfind('.');
  return dot == std::string::npos ? loadedName : loadedName.substr(0, dot);
}

std::string SingleByteLabel(const std::string& name, std::size_t length) {
  std::string label = name.substr(0, length);
  for (char& c : label)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '_';
  label.resize(length, ' ');
  return label;
}
