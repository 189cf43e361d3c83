#include "export/encoder.h"

std::string DefaultSaveName(const std::string& loadedName) {
  const auto dot = loadedName.rfind('.');
  return dot == std::string::npos ? loadedName : loadedName.substr(0, dot);
}
