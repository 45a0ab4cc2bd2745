#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvato::aozora {

// The character a gaiji annotation names: "U+XXXX", or a plane-row-cell code of
// JIS X 0213 ("第3水準1-84-77", "第4水準2-12-34"). Empty when it names none.
std::u16string gaijiCharacter(std::u16string_view body);

// The description of a gaiji without a code: the annotation up to its page
// and line reference ("「木＋世」、132-5" gives 「木＋世」).
std::u16string_view gaijiDescription(std::u16string_view body);

// The text with every 〔〕 of accent notation composed; one pass.
std::u16string withAccents(std::u16string_view text, std::size_t& composedCount);

// The X of a 「X」 annotation (or a caption) as the document holds it: ruby
// 《…》 and annotations inside left out, gaiji ※［＃…］ as their character (or
// the ※ that stands for a description), 〔〕 accents composed.
std::u16string resolvedTarget(std::u16string_view marked);

}  // namespace zelvato::aozora
