#include "write/pdf/font_face.h"

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>

namespace zelvato::pdf {
namespace {

std::string nameOf(hb_face_t* face, hb_ot_name_id_t id) {
  unsigned length = hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, nullptr, nullptr);
  if (length == 0) return {};
  std::string name(length + 1, '\0');
  ++length;
  hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, &length, name.data());
  name.resize(length);
  return name;
}

}  // namespace

struct Face::HarfBuzz {
  hb_blob_t* blob = nullptr;
  hb_face_t* face = nullptr;
  hb_font_t* font = nullptr;
  hb_buffer_t* buffer = nullptr;
  hb_language_t japanese = nullptr;
  ~HarfBuzz() {
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
  }
};

std::shared_ptr<const Face> Face::load(const std::string& path, unsigned index) {
  hb_blob_t* blob = hb_blob_create_from_file_or_fail(path.c_str());
  if (blob == nullptr) return nullptr;
  std::shared_ptr<Face> face(new Face());
  face->hb_ = std::make_unique<HarfBuzz>();
  HarfBuzz& hb = *face->hb_;
  hb.blob = blob;
  hb.face = hb_face_create(blob, index);
  hb.font = hb_font_create(hb.face);
  hb.buffer = hb_buffer_create();
  hb.japanese = hb_language_from_string("ja", -1);
  face->glyphCount_ = hb_face_get_glyph_count(hb.face);
  if (face->glyphCount_ == 0) return nullptr;
  face->path_ = path;
  face->index_ = index;
  face->unitsPerEm_ = hb_face_get_upem(hb.face);
  hb_blob_t* glyf = hb_face_reference_table(hb.face, HB_TAG('g', 'l', 'y', 'f'));
  face->trueType_ = hb_blob_get_length(glyf) > 0;
  hb_blob_destroy(glyf);
  face->postScriptName_ = nameOf(hb.face, HB_OT_NAME_ID_POSTSCRIPT_NAME);
  face->familyName_ = nameOf(hb.face, HB_OT_NAME_ID_FONT_FAMILY);
  if (face->postScriptName_.empty()) face->postScriptName_ = face->familyName_;

  const double scale = 1000.0 / face->unitsPerEm_;
  Metrics& m = face->metrics_;
  hb_font_extents_t extents{};
  if (hb_font_get_h_extents(hb.font, &extents)) {
    m.ascent = extents.ascender * scale;
    m.descent = extents.descender * scale;
  }
  hb_position_t value = 0;
  if (hb_ot_metrics_get_position(hb.font, HB_OT_METRICS_TAG_CAP_HEIGHT, &value) && value > 0)
    m.capHeight = value * scale;
  else
    m.capHeight = m.ascent;
  // The font's box from its head table; ascent and descent across the em when there is none.
  hb_blob_t* head = hb_face_reference_table(hb.face, HB_TAG('h', 'e', 'a', 'd'));
  unsigned headLength = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(hb_blob_get_data(head, &headLength));
  if (headLength >= 44) {
    const auto signedAt = [bytes](unsigned at) {
      return static_cast<std::int16_t>((bytes[at] << 8) | bytes[at + 1]);
    };
    m.bbox[0] = signedAt(36) * scale;
    m.bbox[1] = signedAt(38) * scale;
    m.bbox[2] = signedAt(40) * scale;
    m.bbox[3] = signedAt(42) * scale;
  } else {
    m.bbox[1] = m.descent;
    m.bbox[3] = m.ascent;
  }
  hb_blob_destroy(head);
  hb_position_t embox = 0;
  hb_ot_layout_get_baseline_with_fallback(hb.font, HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_TOP_OR_RIGHT,
                                          HB_DIRECTION_LTR, HB_TAG('h', 'a', 'n', 'i'),
                                          HB_OT_TAG_DEFAULT_LANGUAGE, &embox);
  if (embox > 0) face->emBoxAscent_ = embox / face->unitsPerEm_;
  return face;
}

Face::~Face() = default;

hb_face_t* Face::harfBuzzFace() const {
  return hb_->face;
}

std::uint32_t Face::glyphOf(char32_t c) const {
  hb_codepoint_t glyph = 0;
  return hb_font_get_nominal_glyph(hb_->font, c, &glyph) ? glyph : 0;
}

bool Face::hasCharacter(char32_t c) const {
  return glyphOf(c) != 0;
}

bool Face::holdsJapanese() const {
  return hasCharacter(U'あ') && hasCharacter(U'漢') && hasCharacter(U'「');
}

double Face::horizontalAdvance(std::uint32_t glyph) const {
  return hb_font_get_glyph_h_advance(hb_->font, glyph) * 1000.0 / unitsPerEm_;
}

double Face::verticalAdvance(std::uint32_t glyph) const {
  // HarfBuzz counts a downward advance negative.
  return -hb_font_get_glyph_v_advance(hb_->font, glyph) * 1000.0 / unitsPerEm_;
}

void Face::verticalOrigin(std::uint32_t glyph, double& x, double& y) const {
  hb_position_t ox = 0, oy = 0;
  hb_font_get_glyph_v_origin(hb_->font, glyph, &ox, &oy);
  x = ox * 1000.0 / unitsPerEm_;
  y = oy * 1000.0 / unitsPerEm_;
}

ShapedText Face::shape(std::u16string_view text, Orientation orientation) const {
  const bool vertical = orientation == Orientation::upright;
  hb_buffer_t* buffer = hb_->buffer;
  hb_buffer_clear_contents(buffer);
  hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.data()), static_cast<int>(text.size()),
                      0, static_cast<int>(text.size()));
  hb_buffer_set_direction(buffer, vertical ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
  hb_buffer_set_language(buffer, hb_->japanese);
  hb_buffer_guess_segment_properties(buffer);
  static const hb_feature_t verticalFeatures[] = {
      {HB_TAG('v', 'e', 'r', 't'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
      {HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
  };
  hb_shape(hb_->font, buffer, vertical ? verticalFeatures : nullptr, vertical ? 2 : 0);

  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
  ShapedText shaped;
  shaped.glyphs.reserve(count);
  const double em = unitsPerEm_;
  double penX = 0, penY = 0;  // font units, y up
  for (unsigned i = 0; i < count; ++i) {
    const hb_codepoint_t glyph = infos[i].codepoint;
    if (glyph == 0) shaped.complete = false;
    double x = penX + positions[i].x_offset, y = penY + positions[i].y_offset;
    if (vertical) {
      // HarfBuzz places the horizontal origin; the page places the vertical one.
      hb_position_t ox = 0, oy = 0;
      hb_font_get_glyph_v_origin(hb_->font, glyph, &ox, &oy);
      x += ox;
      y += oy;
    }
    shaped.glyphs.push_back({glyph, x / em, -y / em, infos[i].cluster});
    penX += positions[i].x_advance;
    penY += positions[i].y_advance;
  }
  shaped.advance = (vertical ? -penY : penX) / em;
  return shaped;
}

}  // namespace zelvato::pdf
