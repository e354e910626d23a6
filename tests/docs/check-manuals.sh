#!/usr/bin/env bash
# Checks the two user manuals in PDFDIR (TAVRO_E.PDF, TAVRO_J.PDF): each holds its language's
# key sentences and the program's message texts, every font is embedded, and every screenshot
# made it into the document.
#
#   tests/docs/check-manuals.sh PDFDIR
#
# Prints "ok ..." or "FAIL ..." per check and "N passed, M failed" last; exit code 1 on failure.
set -uo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PDFDIR" >&2; exit 2; }
DIR="$1"
for tool in pdftotext pdffonts pdfimages; do
  command -v "$tool" >/dev/null 2>&1 || { echo "check-manuals.sh: $tool is missing (package poppler-utils)" >&2; exit 2; }
done

PASSED=0
FAILED=0
pass() { PASSED=$((PASSED + 1)); echo "ok $*"; }
fail() { FAILED=$((FAILED + 1)); echo "FAIL $*"; }

# The screenshots each manual shows (docs/images/<lang>/).
SCREENSHOTS=8

# Text of a PDF with its white space taken out (Japanese lines break anywhere, and table cells
# break lines where the layout wants).
squeezed_text() { pdftotext -raw -enc UTF-8 "$1" - 2>/dev/null | tr -d ' \t\n\r\f'; }

check_manual() {
  local pdf="$1" lang="$2"
  shift 2
  local name
  name="$(basename "$pdf")"
  if [ ! -s "$pdf" ]; then
    fail "$name: missing or empty"
    return
  fi
  local text sentence missing=0
  text="$(squeezed_text "$pdf")"
  for sentence in "$@"; do
    if grep -qF -- "$(tr -d ' \t\n' <<<"$sentence")" <<<"$text"; then
      :
    else
      fail "$name: text not found: $sentence"
      missing=$((missing + 1))
    fi
  done
  [ "$missing" -eq 0 ] && pass "$name: all $# key texts found ($lang)"

  # pdffonts: two heading lines, then one row per font; "emb" is the fourth column from the end.
  local fonts not_embedded
  fonts="$(pdffonts "$pdf" 2>/dev/null | tail -n +3)"
  not_embedded="$(awk '{ if ($(NF-4) != "yes") print $1 }' <<<"$fonts")"
  if [ -z "$fonts" ]; then
    fail "$name: no fonts listed"
  elif [ -n "$not_embedded" ]; then
    fail "$name: fonts not embedded: $(tr '\n' ' ' <<<"$not_embedded")"
  else
    pass "$name: all $(wc -l <<<"$fonts") fonts embedded"
  fi
  if [ "$lang" = ja ]; then
    if grep -q 'IPAPGothic' <<<"$fonts"; then
      pass "$name: Japanese glyphs from IPA P Gothic"
    else
      fail "$name: the Japanese font IPAPGothic is not used"
    fi
  fi

  # A screenshot that was missing at build time shows as "[alt text] | name.png" in the text.
  local images placeholders
  images="$(pdfimages -list "$pdf" 2>/dev/null | tail -n +3 | awk '$3 == "image"' | wc -l)"
  placeholders="$(pdftotext -enc UTF-8 "$pdf" - 2>/dev/null | grep -o '[a-z-]*\.png' | sort -u | tr '\n' ' ')"
  if [ "$images" -ge "$SCREENSHOTS" ] && [ -z "$placeholders" ]; then
    pass "$name: $images screenshots embedded"
  else
    fail "$name: $images of $SCREENSHOTS screenshots embedded; not taken yet: ${placeholders:-?} (tools/take-screenshots.sh)"
  fi
}

check_manual "$DIR/TAVRO_E.PDF" en \
  "This manual describes Plorimet 1.42, the program file TAVRO_95.EXE." \
  "Plorimet fits a polynomial to a set of at most 45 (X, Y) pairs by the method of least squares" \
  "Keep TAVRO_E.PDF and TAVRO_J.PDF in the same folder as TAVRO_95.EXE" \
  "wine desktop_standin.exe --stop" \
  "A data file is a plain text file with one pair on each line" \
  "Lines may end in CR LF (Windows) or in LF alone (Linux, macOS)." \
  "Every row is checked before anything is changed." \
  "Y = 9.76*X^0 + 2.23*X^1 - 0.0866*X^2 + 0.00107*X^3 Method of least squares : Cubic equation." \
  "It is recommended to apply Degree of Equation <= 10." \
  "Select Excel Column Numbers" \
  "Graph Specification" \
  "Ctrl+Shift+V Paste Data" \
  "the same column of the next pair" \
  "press Ctrl+C while the equation is shown" \
  "Unable to find the SysListView Window." \
  "Clear the window for data input, with discarding previous inputted data?" \
  "GetOpenFileName error 0x%lx" \
  "The file does not exist." \
  "NO data in the file." \
  "No data on the Clipboard." \
  "Incorrect Clipboard data. Not copied data from Excel." \
  "Incorrect Clipboard data. Not two column (or, more) data copied from Excel." \
  "Incorrect Clipboard data. Some cell in Excel data does not have a datum." \
  "More than 10 characters." \
  "Not numerical value strings." \
  "Y column number should be larger than X column number." \
  "NO data inputted!" \
  "Only one data set inputted!" \
  "Over 45 data sets inputted!" \
  "Too large coefficient!" \
  "Too small coefficient!" \
  "Zero coefficient!" \
  "Zero denominator for getting an answer!" \
  "Too large term value!" \
  "Too small term value!" \
  "Unable to display dialog" \
  "GetSaveFileName error 0x%lx" \
  "Unable to save to the remote disk." \
  "Assign a file with TXT extension." \
  "Unable to create an assigned file to save data." \
  "Unable to write in file." \
  "Inputted Y values are same!" \
  "Unable to allocate clipboard memory." \
  "Unable to open file." \
  "Found illegal structure size in info header." \
  "Install the readme file (TAVRO_E.PDF) in the same directory." \
  "Unable to open the readme file (TAVRO_E.PDF) because of being NO software to read PDF documents."

check_manual "$DIR/TAVRO_J.PDF" ja \
  "この説明書は、Plorimet 1.42（プログラム・ファイル TAVRO_95.EXE）の使い方を説明します。" \
  "Plorimet は、最大 45 組の (X, Y) データに最小二乗法で多項式を当てはめ、その結果を近似式とグラフで表示するプログラムです。" \
  "TAVRO_E.PDF と TAVRO_J.PDF は、TAVRO_95.EXE と同じフォルダーに置いたままにしてください。" \
  "wine desktop_standin.exe --stop" \
  "行末は CR LF（Windows 形式）でも LF だけ（Linux、macOS 形式）でもかまいません。" \
  "入力欄を変える前に、すべての行を確かめます。" \
  "Y = 9.76*X^0 + 2.23*X^1 - 0.0866*X^2 + 0.00107*X^3 最小二乗法 : 三次式の適用." \
  "近似式の次数 <= １０ の適用を推奨します." \
  "Excelのカラム(縦列)番号の選択" \
  "グラフの指定" \
  "Ctrl+Shift+V データ貼付け" \
  "次の組の同じ列" \
  "近似式の表示中に Ctrl+C を押してください" \
  "SysListView32 Windowを見つけられません." \
  "既入力値を廃棄して、データ入力Windowをクリアーしますか？" \
  "GetOpenFileName エラー 0x%lx" \
  "ファイルが存在しません." \
  "ファイルはデータを含んでいません." \
  "クリップボードにデータがありません." \
  "クリップボードのデータが不正です.Excelのデータのコピーではありません." \
  "クリップボードのデータが不正です.Excelのデータ２列(以上)のコピーではありません." \
  "クリップボードのデータが不正です.Excelのデータ・セルでデータの無いものがあります." \
  "文字数が１０以上です." \
  "文字列が数値ではありません." \
  "Ｙカラム番号はＸカラム番号より大きくなくてはいけません." \
  "入力数値がありません!" \
  "入力数値が１組です!" \
  "入力数値が４５組以上です!" \
  "係数が大きすぎます!" \
  "係数が小さすぎます!" \
  "係数がゼロです!" \
  "答えを求めるための分母がゼロです!" \
  "項の値が大きすぎます!" \
  "項の値が小さすぎます!" \
  "ダイアログを表示できません" \
  "GetSaveFileName エラー 0x%lx" \
  "リモート・ディスクへはセーブできません." \
  "ファイルは拡張子 TXT を持つ必要があります." \
  "データ保存用ファイルを作成できません." \
  "ファイルに書き込めません." \
  "入力データのY値がすべて同じです!" \
  "クリップボードのメモリを確保できません." \
  "ファイルを開けません." \
  "インフォ・ヘッダーに不適当なサイズがあります." \
  "説明書ファイル（TAVRO_J.PDF）を同じフォルダーに入れてください." \
  "PDF 文書の閲覧ソフトが無いので、説明書（TAVRO_J.PDF）を開けません."

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
