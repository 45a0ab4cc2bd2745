#pragma once

#include <string_view>

// The texts that both the window and the command-line converter show, each
// written once here. The warnings of the checks before a run are in the table
// of settings_check.cpp.
namespace zelvato::messages {

inline constexpr std::u16string_view converting = u"縦書き変換中...";
inline constexpr std::u16string_view characterUnit = u"字";
inline constexpr std::u16string_view conversionInterrupted =
    u"変換中に予期しないｴﾗｰが発生し、中断されました.";
inline constexpr std::u16string_view fileNotFound = u"ﾌｧｲﾙが見つかりません.";
inline constexpr std::u16string_view readFailed = u"ﾌｧｲﾙを読み込み中にｴﾗｰが発生しました.";

}  // namespace zelvato::messages
