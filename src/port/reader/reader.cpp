#include "port/reader/reader.h"

#include "port/reader/parser.h"

namespace dlgforge::port {
namespace {

PreprocessorOptions preprocessor_options(const ReaderOptions& options) {
  PreprocessorOptions result;
  result.include_dirs = options.include_dirs;
  result.defines = options.defines;
  result.loader = options.loader;
  return result;
}

}  // namespace

unsigned codepage_of_language(unsigned primary, unsigned sub) {
  switch (primary) {
  case 0x00:  // neutral: no code page of its own
    return 0;
  case 0x11:  // Japanese
    return 932;
  case 0x04:  // Chinese: traditional for Taiwan, Hong Kong and Macau
    return sub == 1 || sub == 3 || sub == 5 ? 950 : 936;
  case 0x12:  // Korean
    return 949;
  case 0x19:
  case 0x22:
  case 0x23:
  case 0x02:
  case 0x2F:
  case 0x3F:
  case 0x40:
  case 0x44:
  case 0x28:
  case 0x6D:
  case 0x85:
    // Russian, Ukrainian, Belarusian, Bulgarian, Macedonian, Kazakh,
    // Kyrgyz, Tatar, Tajik, Bashkir, Yakut.
    return 1251;
  case 0x50:  // Mongolian in Cyrillic
    return sub == 1 ? 1251 : 1252;
  case 0x1A:  // Croatian, Serbian and Bosnian: Cyrillic or Latin
    return sub == 3 || sub == 7 || sub == 8 ? 1251 : 1250;
  case 0x05:
  case 0x0E:
  case 0x15:
  case 0x18:
  case 0x1B:
  case 0x24:
  case 0x1C:
    // Czech, Hungarian, Polish, Romanian, Slovak, Slovenian, Albanian.
    return 1250;
  case 0x08:  // Greek
    return 1253;
  case 0x1F:  // Turkish
    return 1254;
  case 0x2C:
  case 0x43:  // Azeri and Uzbek: Latin or Cyrillic
    return sub == 2 ? 1251 : 1254;
  case 0x0D:  // Hebrew
    return 1255;
  case 0x01:
  case 0x29:
  case 0x20:  // Arabic, Farsi, Urdu
    return 1256;
  case 0x25:
  case 0x26:
  case 0x27:  // Estonian, Latvian, Lithuanian
    return 1257;
  case 0x2A:  // Vietnamese
    return 1258;
  case 0x1E:  // Thai
    return 874;
  default:
    return 1252;
  }
}

bool read_resource_script(const std::string& path, const ReaderOptions& options,
                          model::Model& model, std::string& error) {
  model = model::Model();
  Preprocessor preprocessor(preprocessor_options(options), model);
  if (!preprocessor.open(path, error)) {
    return false;
  }
  parse_script(preprocessor, options, model);
  return true;
}

model::Model read_resource_text(const std::string& name, std::string bytes,
                                const ReaderOptions& options) {
  model::Model model;
  Preprocessor preprocessor(preprocessor_options(options), model);
  preprocessor.open_text(name, std::move(bytes));
  parse_script(preprocessor, options, model);
  return model;
}

}  // namespace dlgforge::port
