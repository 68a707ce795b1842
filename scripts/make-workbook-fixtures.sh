#!/bin/sh
# Makes the workbook fixtures of import/testdata/workbooks: an article
# workbook and a table workbook, each saved by LibreOffice as .xls (MS Excel
# 97) and as .ods. The tests read them through the importers
# (import/workbook_fixtures_test.cpp); they are the files our own test
# writers can not make: a binary workbook, and an .ods as LibreOffice writes
# it (its styles, settings, repeated rows and covered cells).
#
# The workbooks are written here as flat OpenDocument (.fods) and converted;
# they hold umlauts, numbers stored as text ("0815", "12,50"), text stored as
# numbers (article number 4711, key 10), merged cells, empty cells, a cell of
# two paragraphs, and five thousand empty formatted rows after the data.
#
# Needs soffice (LibreOffice Calc) on the PATH; it is not a build or test
# dependency. Run from anywhere:  sh scripts/make-workbook-fixtures.sh
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/import/testdata/workbooks"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Cells of a row: s TEXT (a text cell), n NUMBER (a number cell), e (an
# empty cell), m COLUMNS TEXT (a text cell merged over COLUMNS columns).
s() { printf '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' "$1"; }
n() { printf '<table:table-cell office:value-type="float" office:value="%s"><text:p>%s</text:p></table:table-cell>' "$1" "$1"; }
e() { printf '<table:table-cell/>'; }
m() {
  printf '<table:table-cell table:number-columns-spanned="%s" office:value-type="string"><text:p>%s</text:p></table:table-cell>' "$1" "$2"
  i=1
  while [ "$i" -lt "$1" ]; do printf '<table:covered-table-cell/>'; i=$((i + 1)); done
}
row() { printf '<table:table-row>%s</table:table-row>\n' "$1"; }
sheet() { printf '<table:table table:name="%s">\n%s</table:table>\n' "$1" "$2"; }
# Rows that hold nothing but a cell format (a yellow background).
formatted_rows() {
  printf '<table:table-row table:number-rows-repeated="%s"><table:table-cell table:style-name="gelb" table:number-columns-repeated="6"/></table:table-row>\n' "$1"
}
document() {
  cat <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
<style:style style:name="gelb" style:family="table-cell"><style:table-cell-properties fo:background-color="#ffff00"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
$1
</office:spreadsheet></office:body></office:document>
EOF
}

# The article workbook: sheet 1 the articles (N to P the default language,
# Q to S English), sheets 2 to 4 the names of main product groups, product
# groups and discount groups.
articles=$(
  sheet Artikel "$(
    row "$(s data; e; e; e; e; s EUR; e; e; e; e; e; e; e; s DEFAULT; e; e; s EN)"
    row "$(n 4711; e; s 1; s 100; s Stück; n 12.5; s R1; n 10; n 100; e; s 5; n 42; e;
      s Kupferrohr; s 'DN 15 hart'; s 'Kupferrohr&lt;br&gt;hart, geglüht'; s 'Copper pipe'; s 'DN 15'; s 'Copper pipe, hard')"
    row "$(s 0815; s 4711; e; e; s m; s '3,75'; s R1; s 10; s 200; e; e; e; e;
      printf '<table:table-cell office:value-type="string"><text:p>Muffe äöüß</text:p><text:p>zweite Zeile</text:p></table:table-cell>')"
    row "$(s M-1; e; e; e; s Stück; n 0.1; e; n 20; e; e; e; e; e; m 2 Übergangsstück; e; e; e; e)"
    row "$(e)"
    row "$(s A-6; e; e; e; e; n 1000000)"
    formatted_rows 5000
  )"
  sheet Hauptwarengruppen "$(
    row "$(s data; s DEFAULT; s EN)"
    row "$(n 10; s Rohre; s Pipes)"
    row "$(n 20; s Formstücke; e)"
  )"
  sheet Warengruppen "$(
    row "$(s data; s DEFAULT)"
    row "$(n 100; s Kupferrohre)"
  )"
  sheet Rabattgruppen "$(
    row "$(s data; s DEFAULT)"
    row "$(s R1; s 'Rabatt Eins')"
  )"
)
document "$articles" >"$work/articles.fods"

# The table workbook: a manufacturer ID, a text table with a merged comment,
# an integer table whose values are texts, a float table of a text and a
# number, a struct table of two elements; then the formatted rows.
tables=$(
  sheet Tabellen "$(
    row "$(s Preisliste)"
    row "$(s HerstellerID; s XLS0)"
    row "$(s MMTB; s Farben; s String; n 2)"
    row "$(s Comment; m 3 'Farbnamen über drei Spalten')"
    row "$(e; s rot; s Rot; s Red)"
    row "$(e; n 4711; s Grün; e)"
    row "$(s Ende_MMTB)"
    row "$(s MMTB; s Zahlen; s Int; n 1)"
    row "$(e; s a; s 42)"
    row "$(e; s b; n 7)"
    row "$(s Ende_MMTB)"
    row "$(s MMTB; s Werte; s Float; n 1)"
    row "$(e; s w; s '2,5')"
    row "$(e; s x; n 1000000)"
    row "$(s Ende_MMTB)"
    row "$(s MMTB; s Maße; s Struct; n 1)"
    row "$(s StrucDef; e; s Int; s String)"
    row "$(s x; s DN15; n 15; s halb)"
    row "$(e; e; n 18; s dreiviertel)"
    row "$(s Ende_MMTB)"
    row "$(s Ende)"
    formatted_rows 5000
  )"
)
document "$tables" >"$work/tables.fods"

profile="file://$work/profile"
for name in articles tables; do
  soffice -env:UserInstallation="$profile" --headless --convert-to 'xls:MS Excel 97' \
    --outdir "$work" "$work/$name.fods" >/dev/null
  soffice -env:UserInstallation="$profile" --headless --convert-to ods \
    --outdir "$work" "$work/$name.fods" >/dev/null
  cp "$work/$name.xls" "$work/$name.ods" "$out/"
done
ls -l "$out"
