#include "vertical_shaper.h"

#include <hb-ot.h>
#include <hb.h>

namespace zelvato::print {
namespace {

// HarfBuzz reads the face's tables through the font the painter draws with,
// so the glyph ids it returns are that font's own.
hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* userData) {
  const auto* face = static_cast<const QRawFont*>(userData);
  char name[5] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16), static_cast<char>(tag >> 8),
                  static_cast<char>(tag), 0};
  const QByteArray table = face->fontTable(name);
  if (table.isEmpty()) return nullptr;
  return hb_blob_create(table.constData(), static_cast<unsigned>(table.size()), HB_MEMORY_MODE_DUPLICATE,
                        nullptr, nullptr);
}

}  // namespace

struct VerticalShaper::HarfBuzzFont {
  QRawFont face;
  hb_face_t* hbFace = nullptr;
  hb_font_t* hbFont = nullptr;
  hb_buffer_t* buffer = nullptr;
  ~HarfBuzzFont() {
    hb_buffer_destroy(buffer);
    hb_font_destroy(hbFont);
    hb_face_destroy(hbFace);
  }
};

VerticalShaper::VerticalShaper(const QRawFont& face) : font_(std::make_unique<HarfBuzzFont>()) {
  font_->face = face;
  font_->hbFace = hb_face_create_for_tables(referenceTable, &font_->face, nullptr);
  unitsPerEm_ = hb_face_get_upem(font_->hbFace);
  font_->hbFont = hb_font_create(font_->hbFace);
  hb_ot_font_set_funcs(font_->hbFont);
  font_->buffer = hb_buffer_create();
  hb_position_t embox = 0;
  hb_ot_layout_get_baseline_with_fallback(font_->hbFont, HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_TOP_OR_RIGHT,
                                          HB_DIRECTION_LTR, HB_TAG('h', 'a', 'n', 'i'),
                                          HB_OT_TAG_DEFAULT_LANGUAGE, &embox);
  if (embox > 0) emBoxAscent_ = embox / unitsPerEm_;
}

VerticalShaper::~VerticalShaper() = default;

ShapedText VerticalShaper::vertical(std::u16string_view text) const {
  return shape(text, true);
}

ShapedText VerticalShaper::horizontal(std::u16string_view text) const {
  return shape(text, false);
}

ShapedText VerticalShaper::shape(std::u16string_view text, bool vertical) const {
  hb_buffer_t* buffer = font_->buffer;
  hb_buffer_clear_contents(buffer);
  hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.data()), static_cast<int>(text.size()),
                      0, static_cast<int>(text.size()));
  hb_buffer_set_direction(buffer, vertical ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
  hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
  hb_buffer_guess_segment_properties(buffer);
  static const hb_feature_t verticalFeatures[] = {
      {HB_TAG('v', 'e', 'r', 't'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
      {HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
  };
  hb_shape(font_->hbFont, buffer, vertical ? verticalFeatures : nullptr, vertical ? 2 : 0);

  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
  ShapedText shaped;
  shaped.glyphs.reserve(static_cast<qsizetype>(count));
  shaped.origins.reserve(static_cast<qsizetype>(count));
  // HarfBuzz counts y upwards; the page counts it downwards.
  double x = 0, y = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (infos[i].codepoint == 0) shaped.complete = false;
    shaped.glyphs.push_back(infos[i].codepoint);
    shaped.origins.push_back(
        QPointF((x + positions[i].x_offset) / unitsPerEm_, (y - positions[i].y_offset) / unitsPerEm_));
    x += positions[i].x_advance;
    y -= positions[i].y_advance;
  }
  shaped.advance = (vertical ? y : x) / unitsPerEm_;
  return shaped;
}

}  // namespace zelvato::print
