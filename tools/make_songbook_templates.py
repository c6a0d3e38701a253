#!/usr/bin/python3
"""Writes the flat OpenDocument sources of the two song-book templates.

Usage: make_songbook_templates.py OUTDIR
Writes OUTDIR/songbook.fods ("歌簿格式.xls") and OUTDIR/singerbook.fods ("歌手歌簿格式.xls"); the build
turns them into Excel 97 workbooks with LibreOffice. The program needs only the sheet names, the columns
and the first data row; everything else here is the look of the printed page.
"""
import os
import sys
from xml.sax.saxutils import escape

FONT = "WenQuanYi Micro Hei"

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:font-face-decls><style:font-face style:name="{font}" svg:font-family="'{font}'"/></office:font-face-decls>
<office:styles>
<style:style style:name="Default" style:family="table-cell">
<style:text-properties style:font-name="{font}" style:font-name-asian="{font}" fo:font-size="12pt"
 style:font-size-asian="12pt" style:font-size-complex="12pt"/></style:style>
</office:styles>
""".format(font=FONT)

THIN = "0.74pt solid #000000"


def cell_style(name, size, bold=False, border=True, fill=None, wrap=False, align=None):
    weight = "bold" if bold else "normal"
    cell = ['fo:border="%s"' % THIN if border else 'fo:border="none"', 'style:vertical-align="middle"']
    if fill:
        cell.append('fo:background-color="%s"' % fill)
    if wrap:
        cell.append('fo:wrap-option="wrap"')
    para = '<style:paragraph-properties fo:text-align="%s"/>' % align if align else ""
    return ('<style:style style:name="%s" style:family="table-cell" style:parent-style-name="Default">'
            '<style:table-cell-properties %s/>%s<style:text-properties fo:font-size="%dpt" '
            'style:font-size-asian="%dpt" style:font-size-complex="%dpt" fo:font-weight="%s" '
            'style:font-weight-asian="%s" style:font-weight-complex="%s"/></style:style>'
            % (name, " ".join(cell), para, size, size, size, weight, weight, weight))


def automatic_styles(columns, rows, sheets):
    out = ["<office:automatic-styles>"]
    for name, width in columns.items():
        out.append('<style:style style:name="%s" style:family="table-column">'
                   '<style:table-column-properties style:column-width="%s"/></style:style>' % (name, width))
    for name, height in rows.items():
        out.append('<style:style style:name="%s" style:family="table-row"><style:table-row-properties '
                   'style:row-height="%s" style:use-optimal-row-height="false"/></style:style>' % (name, height))
    out += [
        cell_style("title", 16, bold=True, border=False),
        cell_style("head", 12, bold=False, border=False),
        cell_style("label", 12, bold=True, fill="#dddddd", align="center"),
        cell_style("no", 11),
        cell_style("name", 20),
        cell_style("singer", 12, wrap=True),
        cell_style("slot", 14),
    ]
    for i, _ in enumerate(sheets):
        out.append('<style:style style:name="ta%d" style:family="table" style:master-page-name="Book">'
                   '<style:table-properties table:display="true"/></style:style>' % i)
    out.append('<style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm" '
               'fo:page-height="29.7cm" style:print-orientation="portrait" fo:margin-top="1cm" '
               'fo:margin-bottom="1cm" fo:margin-left="1cm" fo:margin-right="1cm"/></style:page-layout>')
    out.append("</office:automatic-styles>")
    out.append('<office:master-styles><style:master-page style:name="Book" style:page-layout-name="pm1">'
               '<style:header style:display="false"/><style:footer style:display="false"/>'
               '</style:master-page></office:master-styles>')
    return "".join(out)


def cell(style, text=None):
    if text is None:
        return '<table:table-cell table:style-name="%s"/>' % style
    return ('<table:table-cell table:style-name="%s" office:value-type="string" calcext:value-type="string">'
            '<text:p>%s</text:p></table:table-cell>' % (style, escape(text)))


def row(style, cells):
    return '<table:table-row table:style-name="%s">%s</table:table-row>' % (style, "".join(cells))


def table(name, index, columns, rows):
    cols = "".join('<table:table-column table:style-name="%s"/>' % c for c in columns)
    return '<table:table table:name="%s" table:style-name="ta%d">%s%s</table:table>' % (
        escape(name), index, cols, "".join(rows))


def song_book():
    """Chinese pages: number, name and singer twice (A-F); English: number, name, singer in A, B, F."""
    chinese = [("中文格式", 50), ("中文格式70", 70), ("中文格式60", 60), ("中文格式56", 56), ("中文格式52", 52)]
    usable_cm = 25.6  # page height less margins and the two heading rows
    rows_styles = {"rhead": "0.9cm", "rlabel": "0.7cm", "reng": "%.3fcm" % (usable_cm / 25)}
    for _, per_page in chinese:
        rows_styles["r%d" % per_page] = "%.3fcm" % (usable_cm / ((per_page + 1) // 2))
    columns = {"cno": "1.5cm", "cname": "5.3cm", "csinger": "2.6cm", "ename": "9cm", "cgap": "0.3cm",
               "esinger": "4cm"}
    sheets = []
    for i, (name, per_page) in enumerate(chinese):
        h = (per_page + 1) // 2
        body = [row("rhead", [cell("title"), cell("head"), cell("title"), cell("head", "字數"), cell("title"),
                              cell("head")]),
                row("rlabel", [cell("label", t) for t in ("編號", "歌名", "歌星") * 2])]
        body += [row("r%d" % per_page, [cell("no"), cell("name"), cell("singer")] * 2) for _ in range(h)]
        sheets.append(table(name, i, ["cno", "cname", "csinger"] * 2, body))
    body = [row("rhead", [cell("title"), cell("head"), cell("head"), cell("head"), cell("head"), cell("title")]),
            row("rlabel", [cell("label", "編號"), cell("label", "Song"), cell("label"), cell("label"),
                           cell("label"), cell("label", "Singer")])]
    body += [row("reng", [cell("no"), cell("name"), cell("no"), cell("no"), cell("no"), cell("singer")])
             for _ in range(25)]
    sheets.append(table("英文格式", len(chinese), ["cno", "ename", "cgap", "cgap", "cgap", "esinger"], body))
    return HEAD + automatic_styles(columns, rows_styles, sheets) + \
        "<office:body><office:spreadsheet>%s</office:spreadsheet></office:body></office:document>\n" % "".join(sheets)


def singer_book():
    """Singer pages: 4 blocks of 36 rows (A-B, D-E, G-H, J-K) or 3 of 27 (A-B, D-E, G-H), data from row 2."""
    columns = {"cstroke": "1.3cm", "cslot": "3.1cm", "cgap": "0.3cm", "wstroke": "1.6cm", "wslot": "4.3cm",
               "cno": "1.5cm", "ename": "9cm", "esinger": "4cm"}
    rows_styles = {"rhead": "0.9cm", "r36": "%.3fcm" % (26.6 / 36), "r27": "%.3fcm" % (26.6 / 27),
                   "rlabel": "0.7cm", "reng": "1.02cm"}
    sheets = []
    four = ["cstroke", "cslot", "cgap"] * 3 + ["cstroke", "cslot"]
    body = [row("rhead", [cell("head"), cell("head"), cell("head"), cell("title")] + [cell("head")] * 7)]
    body += [row("r36", ([cell("slot"), cell("slot"), cell("head")] * 4)[:11]) for _ in range(36)]
    sheets.append(table("中文格式", 0, four, body))
    three = ["wstroke", "wslot", "cgap"] * 2 + ["wstroke", "wslot"]
    body = [row("rhead", [cell("title")] + [cell("head")] * 7)]
    body += [row("r27", ([cell("slot"), cell("slot"), cell("head")] * 3)[:8]) for _ in range(27)]
    sheets.append(table("中文格式放大", 1, three, body))
    body = [row("rhead", [cell("title"), cell("head"), cell("head"), cell("head"), cell("head"), cell("title")]),
            row("rlabel", [cell("label", "編號"), cell("label", "Song"), cell("label"), cell("label"),
                           cell("label"), cell("label", "Singer")])]
    body += [row("reng", [cell("no"), cell("name"), cell("no"), cell("no"), cell("no"), cell("singer")])
             for _ in range(25)]
    sheets.append(table("英文格式", 2, ["cno", "ename", "cgap", "cgap", "cgap", "esinger"], body))
    body = [row("rhead", [cell("title", "歌手姓氏筆劃表")] + [cell("head")] * 10)]
    body += [row("r27", ([cell("slot"), cell("slot"), cell("head")] * 4)[:11]) for _ in range(27)]
    sheets.append(table("歌手姓氏筆劃格式", 3, four, body))
    return HEAD + automatic_styles(columns, rows_styles, sheets) + \
        "<office:body><office:spreadsheet>%s</office:spreadsheet></office:body></office:document>\n" % "".join(sheets)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, text in (("songbook.fods", song_book()), ("singerbook.fods", singer_book())):
        with open(os.path.join(out, name), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
