"""Dumps an .xlsx file as JSON, read independently of the writer: every sheet in order
with its cells (value, type, bold), column widths and charts."""
import json
import sys

import openpyxl


def chart_title(chart):
    title = chart.title
    if title is None or title.tx is None or title.tx.rich is None:
        return None
    return "".join(run.t for p in title.tx.rich.p for run in (p.r or []))


def series_refs(series):
    cat = None
    if series.cat is not None:
        ref = series.cat.strRef or series.cat.numRef
        cat = ref.f if ref is not None else None
    val = series.val.numRef.f if series.val is not None and series.val.numRef is not None else None
    return {"categories": cat, "values": val}


def dump(path):
    book = openpyxl.load_workbook(path)
    sheets = []
    for ws in book.worksheets:
        cells = {}
        for row in ws.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                cells[cell.coordinate] = {"value": cell.value, "type": cell.data_type,
                                          "bold": bool(cell.font and cell.font.b)}
        widths = {key: dim.width for key, dim in ws.column_dimensions.items() if dim.customWidth}
        charts = [{"kind": type(chart).__name__, "title": chart_title(chart),
                   "series": [series_refs(s) for s in chart.series]} for chart in ws._charts]
        sheets.append({"name": ws.title, "cells": cells, "widths": widths, "charts": charts})
    return {"sheets": sheets}


if __name__ == "__main__":
    json.dump(dump(sys.argv[1]), sys.stdout, ensure_ascii=False)
