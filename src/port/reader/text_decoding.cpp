#include "port/reader/text_decoding.h"

#include <iconv.h>

#include <cerrno>

namespace dlgforge::port {
namespace {

constexpr unsigned kUtf8 = 65001;
constexpr unsigned kUtf16Le = 1200;
constexpr unsigned kUtf16Be = 1201;

iconv_t invalid_handle() {
  return reinterpret_cast<iconv_t>(-1);
}

std::string charset_name(unsigned codepage) {
  switch (codepage) {
  case kUtf8:
    return "UTF-8";
  case kUtf16Le:
    return "UTF-16LE";
  case kUtf16Be:
    return "UTF-16BE";
  default:
    return "CP" + std::to_string(codepage);
  }
}

bool is_ascii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return false;
    }
  }
  return true;
}

// Windows code page 1252 gives the five bytes it leaves undefined the
// control characters of the same value, where iconv refuses them.
bool is_1252_gap(unsigned char byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
         byte == 0x9D;
}

// UTF-16 without a byte-order mark: a script that starts with ASCII
// characters has zero high bytes.
bool looks_like_utf16le(std::string_view bytes) {
  return bytes.size() >= 4 && bytes[0] != 0 && bytes[1] == 0 && bytes[2] != 0 &&
         bytes[3] == 0;
}

}  // namespace

void append_utf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    cp = 0xFFFD;
  }
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {

// Opening a conversion loads its tables, which costs far more than reading
// a script: the descriptors are kept for the thread's life and shared by
// every reading on it.
struct IconvHandles {
  std::map<unsigned, iconv_t> handles;
  ~IconvHandles() {
    for (auto& [codepage, cd] : handles) {
      if (cd != invalid_handle()) {
        iconv_close(cd);
      }
    }
  }
};

}  // namespace

CodePageDecoder::~CodePageDecoder() = default;

void* CodePageDecoder::handle(unsigned codepage) {
  thread_local IconvHandles cache;
  auto found = cache.handles.find(codepage);
  if (found != cache.handles.end()) {
    return found->second;
  }
  iconv_t cd = iconv_open("UTF-8", charset_name(codepage).c_str());
  cache.handles.emplace(codepage, cd);
  return cd;
}

bool CodePageDecoder::supports(unsigned codepage) {
  return handle(codepage) != invalid_handle();
}

bool CodePageDecoder::keeps_ascii(unsigned codepage) {
  return codepage != kUtf16Le && codepage != kUtf16Be;
}

bool CodePageDecoder::decode(std::string_view bytes, unsigned codepage,
                             std::string& out) {
  bool utf16 = !keeps_ascii(codepage);
  if (!utf16 && is_ascii(bytes)) {
    out.append(bytes);
    return false;
  }
  if (!supports(codepage)) {
    codepage = 1252;
  }
  iconv_t cd = static_cast<iconv_t>(handle(codepage));
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  bool invalid = false;
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char buffer[1024];
  while (in_left > 0) {
    char* produced = buffer;
    std::size_t room = sizeof buffer;
    std::size_t result = iconv(cd, &in, &in_left, &produced, &room);
    out.append(buffer, static_cast<std::size_t>(produced - buffer));
    if (result != static_cast<std::size_t>(-1)) {
      continue;
    }
    if (errno == E2BIG) {
      continue;
    }
    unsigned char byte = static_cast<unsigned char>(*in);
    if (errno == EILSEQ && codepage == 1252 && is_1252_gap(byte)) {
      append_utf8(out, byte);
    } else {
      append_utf8(out, 0xFFFD);
      invalid = true;
    }
    // One byte (one code unit in UTF-16) is dropped and reading goes on.
    std::size_t skip = utf16 ? 2 : 1;
    if (errno == EINVAL || skip > in_left) {
      break;
    }
    in += skip;
    in_left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return invalid;
}

bool is_utf8_beyond_ascii(std::string_view bytes) {
  bool beyond_ascii = false;
  std::size_t i = 0;
  while (i < bytes.size()) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      ++i;
      continue;
    }
    beyond_ascii = true;
    // The length the lead byte announces and the range its first
    // continuation byte may take, which rules out overlong forms,
    // surrogates and code points above U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (byte >= 0xC2 && byte <= 0xDF) {
      length = 2;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      length = 3;
      low = byte == 0xE0 ? 0xA0 : 0x80;
      high = byte == 0xED ? 0x9F : 0xBF;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      length = 4;
      low = byte == 0xF0 ? 0x90 : 0x80;
      high = byte == 0xF4 ? 0x8F : 0xBF;
    } else {
      return false;
    }
    if (i + length > bytes.size()) {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(bytes[i + k]);
      if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
        return false;
      }
    }
    i += length;
  }
  return beyond_ascii;
}

SourceText prepare_source(std::string bytes) {
  SourceText source;
  std::string_view view = bytes;
  unsigned utf16 = 0;
  if (view.starts_with("\xEF\xBB\xBF")) {
    source.unicode = true;
    bytes.erase(0, 3);
    source.text = std::move(bytes);
    return source;
  }
  if (view.starts_with("\xFF\xFE")) {
    utf16 = kUtf16Le;
    view.remove_prefix(2);
  } else if (view.starts_with("\xFE\xFF")) {
    utf16 = kUtf16Be;
    view.remove_prefix(2);
  } else if (looks_like_utf16le(view)) {
    utf16 = kUtf16Le;
  }
  if (utf16 == 0) {
    source.utf8 = is_utf8_beyond_ascii(bytes);
    source.text = std::move(bytes);
    return source;
  }
  source.unicode = true;
  CodePageDecoder decoder;
  source.invalid = decoder.decode(view, utf16, source.text);
  return source;
}

}  // namespace dlgforge::port
