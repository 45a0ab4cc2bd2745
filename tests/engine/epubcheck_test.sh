#!/usr/bin/env bash
# Every kind of EPUB the converter makes must pass epubcheck with no error and
# no warning: a short text, an Aozora Bunko text with ruby, headings, emphasis,
# indents, page breaks and its colophon, characters outside code page 932, a
# text with no title of its own, one with illustrations whose picture lies
# beside it and a page centred left to right, the same books with the user's
# cover and set horizontally, and a web novel in the sites' notation.
set -u
convert=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The Debian wrapper cannot always start the jar itself.
check() { java -jar /usr/share/java/epubcheck.jar "$1" 2>&1; }

printf '吾輩は猫である。名前はまだ無い。\r\n' > "$work/short.txt"
printf '𠮷野家で🍣を食べた。ｶﾞｿﾘﾝ、ABC。\r\n\r\n丸の中の①②。\r\n' > "$work/outside.txt"
printf 'タイトルのない文章。\r\n' > "$work/untitled.txt"
printf '第一話　|天《てん》|蓋《がい》の下で\r\n\r\n　空は《《傍点》》のように青い。漢字《かんじ》、笑（わら）う。\r\n――――\r\n＊　＊　＊\r\n第二話　次\r\n　12月。\r\n' \
  > "$work/web.txt"
mkdir "$work/pictures"
cp "$data/../illustration.png" "$work/pictures/fig1.png"
printf '挿絵\r\n\r\n［＃「山」のキャプション付きの図（fig1.png、横2×縦2）入る］\r\n山の絵［＃絵（fig1.png）入る］です。\r\n［＃挿絵（missing.png）入る］\r\n［＃改ページ］\r\n［＃ページの左右中央］\r\n［＃ここから１０字詰め］\r\n献辞\r\n［＃ここで字詰め終わり］\r\n\r\n底本：「挿絵集」1998（平成10）年6月20日第1刷\r\n入力：誰か\r\n' \
  > "$work/pictures/story.txt"

failed=0
run() {
  local name=$1
  shift
  if ! "$convert" "$@" --epub="$work/$name.epub" 2>"$work/$name.err"; then
    echo "FAIL $name: the converter failed: $(cat "$work/$name.err")"
    failed=$((failed + 1))
    return
  fi
  local report
  report=$(check "$work/$name.epub")
  if ! grep -q "No errors or warnings detected" <<<"$report"; then
    echo "FAIL $name:"
    echo "$report"
    failed=$((failed + 1))
  else
    echo "ok   $name"
  fi
}
run short "$work/short.txt"
run aozora --aozora --tate-chu-yoko --kinsoku "$data/rashomon_aozora.txt"
run outside "$work/outside.txt"
run untitled --title='<猫> & "犬"' "$work/untitled.txt"
run pictures --aozora "$work/pictures/story.txt"
run cover --aozora --cover="$data/../illustration.png" "$data/rashomon_aozora.txt"
run horizontal --aozora --tate-chu-yoko --writing-mode=horizontal --reading-typeface=gothic "$data/rashomon_aozora.txt"
run horizontal-pictures --aozora --writing-mode=horizontal "$work/pictures/story.txt"
run web --notation=web --furigana-parens --title=天蓋 "$work/web.txt"
# The converter looked for the picture beside its source and put it in the book.
if grep -q "OEBPS/images/image0001.png" "$work/pictures.epub"; then
  echo "ok   pictures: the picture is in the book"
else
  echo "FAIL pictures: the picture is not in the book"
  failed=$((failed + 1))
fi
# Its 底本 notes are the book's colophon, at the end.
if grep -q "OEBPS/colophon.xhtml" "$work/pictures.epub"; then
  echo "ok   pictures: the colophon is in the book"
else
  echo "FAIL pictures: the colophon is not in the book"
  failed=$((failed + 1))
fi
echo "$((11 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
