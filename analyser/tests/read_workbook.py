"""Prints what the analyser's workbook holds, one line per cell, for the tests.

Lines: "sheets NAME,...", "width COLUMN WIDTH", and for every cell of
columns A to G down to the sheet's last row:
COORD TYPE BOLD SIZE ALIGN BORDER FILL VALUE (tab-separated), TYPE being
s (text), n (number) or - (empty), BORDER 1 when all four edges are drawn.
"""
import sys

import openpyxl


def main(path):
    book = openpyxl.load_workbook(path)
    print("sheets " + ",".join(book.sheetnames))
    sheet = book["Lomtra"]
    for column in "ABCDEFG":
        print("width %s %s" % (column, sheet.column_dimensions[column].width))
    for row in range(1, sheet.max_row + 1):
        for index in range(1, 8):
            cell = sheet.cell(row=row, column=index)
            value = cell.value
            kind = "-" if value is None else ("s" if isinstance(value, str) else "n")
            edges = (cell.border.left, cell.border.right, cell.border.top, cell.border.bottom)
            border = int(all(e is not None and e.style is not None for e in edges))
            fill = cell.fill.fgColor.rgb if cell.fill.fill_type == "solid" else "-"
            align = cell.alignment.horizontal or "-"
            size = cell.font.sz if cell.font.sz is not None else "-"
            text = "" if value is None else str(value)
            print("\t".join([cell.coordinate, kind, str(int(bool(cell.font.b))),
                             str(size).rstrip("0").rstrip("."), align, str(border),
                             str(fill), text]))


if __name__ == "__main__":
    main(sys.argv[1])
