#!/usr/bin/python3
"""Writes test workbooks from JSON descriptions read on standard input.

{"path": "...", "format": "xlsx" | "xls",
 "sheets": [{"name": "tavlin", "rows": [[cell, ...], ...]}],
 "shared": true,            # xlsx: strings as a shared-string table, the way Excel saves them
 "cached": {"H2": 3}}       # xlsx: the value a formula cell had when last calculated

A cell is null (left empty), a string, a number, a boolean, or {"formula": "1+2"}.
Strings starting with "#" in an xlsx are error values (#DIV/0!). Rows that are null stay empty.
"""
import html
import json
import re
import sys
import zipfile
from xml.sax.saxutils import escape


def write_xlsx(description):
    import openpyxl
    book = openpyxl.Workbook()
    book.remove(book.active)
    for sheet in description["sheets"]:
        ws = book.create_sheet(sheet["name"])
        for r, row in enumerate(sheet["rows"], start=1):
            for c, value in enumerate(row or [], start=1):
                if value is None:
                    continue
                if isinstance(value, dict):
                    value = "=" + value["formula"]
                ws.cell(row=r, column=c, value=value)
    book.save(description["path"])
    if description.get("shared") or description.get("cached"):
        rewrite_xlsx(description)


def rewrite_xlsx(description):
    """Turns inline strings into shared ones and fills formula values, as Excel itself writes."""
    path = description["path"]
    with zipfile.ZipFile(path) as old:
        parts = {name: old.read(name) for name in old.namelist()}
    strings = []

    def shared(match):
        text = html.unescape(match.group(2))
        if text not in strings:
            strings.append(text)
        return '<c r="%s" t="s"><v>%d</v></c>' % (match.group(1), strings.index(text))

    for name in [n for n in parts if n.startswith("xl/worksheets/")]:
        xml = parts[name].decode()
        if description.get("shared"):
            xml = re.sub(r'<c r="([A-Z]+\d+)" t="inlineStr"><is><t(?: [^>]*)?>(.*?)</t></is></c>', shared, xml)
        for ref, value in (description.get("cached") or {}).items():
            xml = re.sub(r'(<c r="%s"[^>]*><f>.*?</f>)<v\s*/?>(</v>)?' % ref, r"\g<1><v>%s</v>" % value, xml)
        parts[name] = xml.encode()
    if description.get("shared"):
        # Each string as two rich-text runs plus a phonetic guide that is not part of the text.
        items = "".join(
            '<si><r><t xml:space="preserve">%s</t></r><r><t xml:space="preserve">%s</t></r>'
            '<rPh sb="0" eb="1"><t>PHONETIC</t></rPh></si>' % (escape(s[: len(s) // 2]), escape(s[len(s) // 2:]))
            for s in strings)
        parts["xl/sharedStrings.xml"] = (
            '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/'
            'spreadsheetml/2006/main" count="%d" uniqueCount="%d">%s</sst>' % (len(strings), len(strings), items)
        ).encode()
        rels = parts["xl/_rels/workbook.xml.rels"].decode()
        parts["xl/_rels/workbook.xml.rels"] = rels.replace(
            "</Relationships>",
            '<Relationship Id="rIdSST" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
            'relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>').encode()
        types = parts["[Content_Types].xml"].decode()
        parts["[Content_Types].xml"] = types.replace(
            "</Types>",
            '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-'
            'officedocument.spreadsheetml.sharedStrings+xml"/></Types>').encode()
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as new:
        for name, data in parts.items():
            new.writestr(name, data)


def write_xls(description):
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    for sheet in description["sheets"]:
        ws = book.add_sheet(sheet["name"])
        for r, row in enumerate(sheet["rows"]):
            for c, value in enumerate(row or []):
                if value is None:
                    continue
                if isinstance(value, dict):
                    value = xlwt.Formula(value["formula"])
                ws.write(r, c, value)
    book.save(description["path"])


def main():
    """One description on standard input; with --serve, one per line, each answered by "ok"."""
    writers = {"xlsx": write_xlsx, "xls": write_xls}
    if sys.argv[1:] == ["--serve"]:
        for line in sys.stdin:
            description = json.loads(line)
            writers[description["format"]](description)
            print("ok", flush=True)
        return
    description = json.load(sys.stdin)
    writers[description["format"]](description)


if __name__ == "__main__":
    main()
