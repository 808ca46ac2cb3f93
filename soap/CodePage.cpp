#include "soap/CodePage.h"

#include <array>

namespace soap {

namespace {

// Bytes 0x80..0x9F; the rest of the upper half equals Latin-1.
constexpr std::array<unsigned short, 32> vHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char FAnsiOf(long pCodePoint) {
  if (pCodePoint < 0) return '?';
  if (pCodePoint < 0x80 || (pCodePoint >= 0xA0 && pCodePoint <= 0xFF)) return static_cast<char>(pCodePoint);
  for (std::size_t i = 0; i < vHigh.size(); ++i) {
    if (vHigh[i] == pCodePoint) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

void PAppendUtf8(std::string& pOut, unsigned long pCodePoint) {
  if (pCodePoint < 0x80) {
    pOut += static_cast<char>(pCodePoint);
  } else if (pCodePoint < 0x800) {
    pOut += static_cast<char>(0xC0 | (pCodePoint >> 6));
    pOut += static_cast<char>(0x80 | (pCodePoint & 0x3F));
  } else if (pCodePoint < 0x10000) {
    pOut += static_cast<char>(0xE0 | (pCodePoint >> 12));
    pOut += static_cast<char>(0x80 | ((pCodePoint >> 6) & 0x3F));
    pOut += static_cast<char>(0x80 | (pCodePoint & 0x3F));
  } else {
    pOut += static_cast<char>(0xF0 | (pCodePoint >> 18));
    pOut += static_cast<char>(0x80 | ((pCodePoint >> 12) & 0x3F));
    pOut += static_cast<char>(0x80 | ((pCodePoint >> 6) & 0x3F));
    pOut += static_cast<char>(0x80 | (pCodePoint & 0x3F));
  }
}

long FNextUtf8(std::string_view pText, std::size_t& pPos) {
  const auto vByte = [&](std::size_t i) { return static_cast<unsigned char>(pText[i]); };
  const unsigned char vLead = vByte(pPos);
  if (vLead < 0x80) {
    ++pPos;
    return vLead;
  }
  int vCount = 0;
  long vCode = 0;
  long vMin = 0;
  if (vLead >= 0xC2 && vLead <= 0xDF) {
    vCount = 1, vCode = vLead & 0x1F, vMin = 0x80;
  } else if (vLead >= 0xE0 && vLead <= 0xEF) {
    vCount = 2, vCode = vLead & 0x0F, vMin = 0x800;
  } else if (vLead >= 0xF0 && vLead <= 0xF4) {
    vCount = 3, vCode = vLead & 0x07, vMin = 0x10000;
  } else {
    ++pPos;
    return -1;
  }
  if (pPos + vCount >= pText.size()) {  // truncated at the end
    ++pPos;
    return -1;
  }
  for (int i = 1; i <= vCount; ++i) {
    const unsigned char vNext = vByte(pPos + i);
    if ((vNext & 0xC0) != 0x80) {
      ++pPos;
      return -1;
    }
    vCode = (vCode << 6) | (vNext & 0x3F);
  }
  if (vCode < vMin || vCode > 0x10FFFF || (vCode >= 0xD800 && vCode <= 0xDFFF)) {
    ++pPos;
    return -1;
  }
  pPos += vCount + 1;
  return vCode;
}

std::string FAnsiToUtf8(std::string_view pAnsi) {
  std::string vOut;
  vOut.reserve(pAnsi.size() + pAnsi.size() / 8);
  std::size_t vRun = 0;  // start of the pending run of ASCII bytes, copied whole
  for (std::size_t i = 0; i < pAnsi.size(); ++i) {
    const auto b = static_cast<unsigned char>(pAnsi[i]);
    if (b < 0x80) continue;
    vOut.append(pAnsi, vRun, i - vRun);
    PAppendUtf8(vOut, b <= 0x9F ? vHigh[b - 0x80] : b);
    vRun = i + 1;
  }
  vOut.append(pAnsi, vRun);
  return vOut;
}

std::string FUtf8ToAnsi(std::string_view pUtf8) {
  std::string vOut;
  vOut.reserve(pUtf8.size());
  std::size_t vPos = 0;
  while (vPos < pUtf8.size()) vOut += FAnsiOf(FNextUtf8(pUtf8, vPos));
  return vOut;
}

}  // namespace soap
