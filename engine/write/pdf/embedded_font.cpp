#include "write/pdf/embedded_font.h"

#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cmath>

namespace zelvato::pdf {
namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

void appendHex16(std::string& out, unsigned value) {
  for (int shift = 12; shift >= 0; shift -= 4) out += hexDigits[(value >> shift) & 0xF];
}

std::string ref(int number) {
  return std::to_string(number) + " 0 R";
}

// The subset's tag: six capitals that differ with the glyphs it holds.
std::string subsetTag(const std::vector<std::uint32_t>& glyphs, std::string_view name) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  const auto mix = [&hash](std::uint64_t value) { hash = (hash ^ value) * 0x100000001b3ULL; };
  for (const char c : name) mix(static_cast<unsigned char>(c));
  for (const std::uint32_t glyph : glyphs) mix(glyph);
  std::string tag;
  for (int i = 0; i < 6; ++i) {
    tag += static_cast<char>('A' + hash % 26);
    hash /= 26;
  }
  return tag;
}

// A PostScript name keeps to printable ASCII without delimiters or spaces.
std::string cleanName(std::string_view name) {
  std::string clean;
  for (const char c : name)
    if (c > 0x20 && c < 0x7F && std::string_view("()<>[]{}/%#").find(c) == std::string_view::npos) clean += c;
  return clean.empty() ? std::string("Font") : clean;
}

bool nearly(double a, double b) {
  return std::fabs(a - b) < 0.0005;
}

// The glyphs `subset` keeps of `face`, without hinting; the subset's glyph ids
// are the face's own when `keepIds` (a CFF face, whose ids the PDF cannot
// remap), else they are given in `newIds` by old id.
hb_face_t* subsetFace(hb_face_t* face, const std::vector<std::uint32_t>& glyphs, bool keepIds,
                      std::vector<std::uint32_t>& newIds) {
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (input == nullptr) return nullptr;
  hb_set_t* glyphSet = hb_subset_input_glyph_set(input);
  for (const std::uint32_t glyph : glyphs) hb_set_add(glyphSet, glyph);
  unsigned flags = HB_SUBSET_FLAGS_NO_HINTING;
  if (keepIds) flags |= HB_SUBSET_FLAGS_RETAIN_GIDS;
  hb_subset_input_set_flags(input, flags);
  // Only the outlines and their metrics are read from an embedded font: the
  // layout tables and the vertical metrics (the PDF gives its own) go.
  hb_set_t* dropped = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
  for (const hb_tag_t tag :
       {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
        HB_TAG('B', 'A', 'S', 'E'), HB_TAG('J', 'S', 'T', 'F'), HB_TAG('v', 'h', 'e', 'a'),
        HB_TAG('v', 'm', 't', 'x'), HB_TAG('V', 'O', 'R', 'G'), HB_TAG('D', 'S', 'I', 'G'),
        HB_TAG('k', 'e', 'r', 'n'), HB_TAG('g', 'a', 's', 'p'), HB_TAG('h', 'd', 'm', 'x'),
        HB_TAG('L', 'T', 'S', 'H'), HB_TAG('V', 'D', 'M', 'X')})
    hb_set_add(dropped, tag);
  hb_subset_plan_t* plan = hb_subset_plan_create_or_fail(face, input);
  hb_subset_input_destroy(input);
  if (plan == nullptr) return nullptr;
  const hb_map_t* mapping = hb_subset_plan_old_to_new_glyph_mapping(plan);
  for (const std::uint32_t glyph : glyphs) {
    if (newIds.size() <= glyph) newIds.resize(glyph + 1, 0);
    const hb_codepoint_t mapped = hb_map_get(mapping, glyph);
    newIds[glyph] = mapped == HB_MAP_VALUE_INVALID ? 0 : mapped;
  }
  hb_face_t* subset = hb_subset_plan_execute_or_fail(plan);
  hb_subset_plan_destroy(plan);
  return subset;
}

std::string_view blobBytes(hb_blob_t* blob) {
  unsigned length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  return {data, length};
}

}  // namespace

EmbeddedFont::EmbeddedFont(std::shared_ptr<const Face> face, int number)
    : face_(std::move(face)), number_(number), used_(face_->glyphCount(), 0), text_(face_->glyphCount()) {}

int EmbeddedFont::fontObject(ObjectWriter& objects, bool vertical) {
  int& object = vertical ? vertical_ : horizontal_;
  if (object == 0) object = objects.reserve();
  return object;
}

bool EmbeddedFont::show(std::uint32_t glyph, std::u16string_view text) {
  if (glyph >= used_.size()) return false;
  used_[glyph] = 1;
  if (text.empty()) return false;
  std::u16string& mapped = text_[glyph];
  if (mapped.empty()) mapped = text;
  return mapped == text;
}

bool EmbeddedFont::write(ObjectWriter& objects) const {
  std::vector<std::uint32_t> glyphs{0};  // the missing glyph stays first
  for (std::uint32_t glyph = 1; glyph < used_.size(); ++glyph)
    if (used_[glyph]) glyphs.push_back(glyph);
  const bool trueType = face_->trueTypeOutlines();
  std::vector<std::uint32_t> newIds;
  hb_face_t* subset = subsetFace(face_->harfBuzzFace(), glyphs, !trueType, newIds);
  if (subset == nullptr) return false;
  const std::string name =
      subsetTag(glyphs, face_->postScriptName()) + "+" + cleanName(face_->postScriptName());

  const int fontFile = objects.reserve(), descriptor = objects.reserve(), cidFont = objects.reserve(),
            toUnicode = objects.reserve();
  bool written = true;
  if (trueType) {
    hb_blob_t* program = hb_face_reference_blob(subset);
    written = objects.writeStream(fontFile, "", blobBytes(program));
    hb_blob_destroy(program);
  } else {
    hb_blob_t* program = hb_face_reference_table(subset, HB_TAG('C', 'F', 'F', ' '));
    written = objects.writeStream(fontFile, "/Subtype/CIDFontType0C", blobBytes(program));
    hb_blob_destroy(program);
  }
  hb_face_destroy(subset);
  if (!written) return false;

  const Face::Metrics& m = face_->metrics();
  std::string body = "<</Type/FontDescriptor/FontName";
  appendName(body, name);
  body += "/Flags 4/FontBBox[";
  for (int i = 0; i < 4; ++i) {
    if (i > 0) body += ' ';
    appendNumber(body, m.bbox[i]);
  }
  body += "]/ItalicAngle 0/Ascent ";
  appendNumber(body, m.ascent);
  body += "/Descent ";
  appendNumber(body, m.descent);
  body += "/CapHeight ";
  appendNumber(body, m.capHeight);
  body += "/StemV 80/";
  body += trueType ? "FontFile2 " : "FontFile3 ";
  body += ref(fontFile) + ">>";
  if (!objects.write(descriptor, body)) return false;

  // Widths across, and down the vertical line where a glyph differs from the
  // usual (its vertical origin at the top centre of the em, one em down).
  const std::uint32_t ideograph = face_->glyphOf(U'漢');
  double usualOriginX = 0, usualOriginY = 0;
  face_->verticalOrigin(ideograph, usualOriginX, usualOriginY);
  const double usualAdvance = face_->verticalAdvance(ideograph);
  std::string widths, vertical;
  for (std::size_t i = 0; i < glyphs.size();) {
    std::size_t end = i + 1;
    while (end < glyphs.size() && glyphs[end] == glyphs[end - 1] + 1) ++end;
    widths += std::to_string(glyphs[i]) + '[';
    for (std::size_t k = i; k < end; ++k) {
      if (k > i) widths += ' ';
      appendNumber(widths, face_->horizontalAdvance(glyphs[k]));
    }
    widths += ']';
    i = end;
  }
  for (const std::uint32_t glyph : glyphs) {
    double ox = 0, oy = 0;
    face_->verticalOrigin(glyph, ox, oy);
    const double advance = face_->verticalAdvance(glyph);
    if (nearly(ox, face_->horizontalAdvance(glyph) / 2) && nearly(oy, usualOriginY) &&
        nearly(advance, usualAdvance))
      continue;
    vertical += std::to_string(glyph) + ' ' + std::to_string(glyph) + ' ';
    appendNumber(vertical, -advance);
    vertical += ' ';
    appendNumber(vertical, ox);
    vertical += ' ';
    appendNumber(vertical, oy);
    vertical += ' ';
  }
  body = "<</Type/Font/Subtype/";
  body += trueType ? "CIDFontType2" : "CIDFontType0";
  body += "/BaseFont";
  appendName(body, name);
  body += "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor " +
          ref(descriptor) + "/DW 1000/W[" + widths + "]/DW2[";
  appendNumber(body, usualOriginY);
  body += ' ';
  appendNumber(body, -usualAdvance);
  body += ']';
  if (!vertical.empty()) body += "/W2[" + vertical + ']';
  if (trueType) {
    // Character ids are the face's glyph ids; the map gives each its place in the subset.
    std::string map(2 * (glyphs.back() + 1), '\0');
    for (const std::uint32_t glyph : glyphs) {
      map[2 * glyph] = static_cast<char>(newIds[glyph] >> 8);
      map[2 * glyph + 1] = static_cast<char>(newIds[glyph] & 0xFF);
    }
    const int mapObject = objects.reserve();
    body += "/CIDToGIDMap " + ref(mapObject) + ">>";
    if (!objects.write(cidFont, body) || !objects.writeStream(mapObject, "", map)) return false;
  } else {
    body += ">>";
    if (!objects.write(cidFont, body)) return false;
  }

  std::string cmap =
      "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
      "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000><FFFF>\nendcodespacerange\n";
  std::vector<std::pair<std::uint32_t, const std::u16string*>> entries;
  for (std::uint32_t glyph = 0; glyph < text_.size(); ++glyph)
    if (!text_[glyph].empty()) entries.emplace_back(glyph, &text_[glyph]);
  for (std::size_t i = 0; i < entries.size(); i += 100) {
    const std::size_t end = std::min(entries.size(), i + 100);
    cmap += std::to_string(end - i) + " beginbfchar\n";
    for (std::size_t k = i; k < end; ++k) {
      cmap += '<';
      appendHex16(cmap, entries[k].first);
      cmap += "><";
      for (const char16_t unit : *entries[k].second) appendHex16(cmap, unit);
      cmap += ">\n";
    }
    cmap += "endbfchar\n";
  }
  cmap += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
  if (!objects.writeStream(toUnicode, "", cmap)) return false;

  for (const bool down : {false, true}) {
    const int object = down ? vertical_ : horizontal_;
    if (object == 0) continue;
    body = "<</Type/Font/Subtype/Type0/BaseFont";
    appendName(body, trueType ? name : name + (down ? "-Identity-V" : "-Identity-H"));
    body += down ? "/Encoding/Identity-V" : "/Encoding/Identity-H";
    body += "/DescendantFonts[" + ref(cidFont) + "]/ToUnicode " + ref(toUnicode) + ">>";
    if (!objects.write(object, body)) return false;
  }
  return true;
}

}  // namespace zelvato::pdf
