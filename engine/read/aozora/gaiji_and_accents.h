#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelvato::aozora {

// The character a gaiji annotation names: "U+XXXX", or a plane-row-cell code of
// JIS X 0213 ("第3水準1-84-77", "第4水準2-12-34"). Empty when it names none.
std::u16string gaijiCharacter(std::u16string_view body);

// The description of a gaiji without a code: the annotation up to its page
// and line reference ("「木＋世」、132-5" gives 「木＋世」).
std::u16string_view gaijiDescription(std::u16string_view body);

// The text with every 〔〕 of accent notation composed; one pass. `origins`,
// when given and the text changes, receives where each character out came from.
std::u16string withAccents(std::u16string_view text, std::size_t& composedCount,
                           std::vector<std::size_t>* origins = nullptr);

// くの字点: ／＼ as 〳〵 and ／″＼ as 〴〵, the two halves of the mark.
std::u16string withIterationMarks(std::u16string_view text);

// Notation inside other notation, read as the document holds it: gaiji
// ※［＃…］ as their character, annotations and ruby readings inside left out
// (a note quoting 膏盲《こうこう》 quotes 膏盲), くの字点 and 〔〕 accents composed.
// A target (the X of a 「X」 annotation, a caption) keeps the ※ that stands for
// a gaiji without a code; a reading or a note shows it as ※（description）.
enum class Nested { target, reading, note };
std::u16string nestedText(std::u16string_view text, Nested as);
std::u16string resolvedTarget(std::u16string_view marked);

}  // namespace zelvato::aozora
