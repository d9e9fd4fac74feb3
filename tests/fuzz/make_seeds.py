#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora and the script compiler's dictionary.

make_seeds.py FIXTURES OUT: OUT/<target>/ gets inputs made from the Paradox fixtures (tables
alone, and families in the targets' member form) and from the sample scripts; OUT/fuzz_line.dict
lists the language's identifiers and symbols, read from the library's sources."""
import pathlib
import re
import struct
import sys

SLOTS = {'DB': 0, 'PX': 1, 'MB': 2, 'VAL': 3}


def slot(ext):
    ext = ext.upper()
    if ext in SLOTS:
        return SLOTS[ext]
    if re.fullmatch(r'X[0-9A-F]{2}', ext):
        return 4
    if re.fullmatch(r'Y[0-9A-F]{2}', ext):
        return 5
    if re.fullmatch(r'XG[0-9A-F]', ext):
        return 6
    if re.fullmatch(r'YG[0-9A-F]', ext):
        return 7
    return None


def family(members):
    out = b''
    for s, data in members:
        data = data[:0xFFFF]
        out += struct.pack('<BH', s, len(data)) + data
    return out


def main(fixtures, out):
    fixtures, out = pathlib.Path(fixtures), pathlib.Path(out)
    for t in ('fuzz_line', 'fuzz_db', 'fuzz_index', 'fuzz_mb', 'fuzz_val', 'fuzz_ini', 'fuzz_reg', 'fuzz_log', 'fuzz_journal'):
        (out / t).mkdir(parents=True, exist_ok=True)
    tables = {}
    for f in sorted(fixtures.rglob('*')) if fixtures.is_dir() else []:
        s = slot(f.suffix[1:]) if f.is_file() and f.suffix else None
        if s is not None:
            tables.setdefault((f.parent, f.stem.upper()), []).append((s, f.read_bytes()))
    for n, ((_, stem), members) in enumerate(sorted(tables.items())):
        kinds = {s for s, _ in members}
        for s, data in members:
            if s == 0:
                (out / 'fuzz_db' / f'{n}_{stem}').write_bytes(data)
            if s == 3:
                (out / 'fuzz_val' / f'{n}_{stem}').write_bytes(data)
        if 0 in kinds and 2 in kinds:
            (out / 'fuzz_mb' / f'{n}_{stem}').write_bytes(family(m for m in members if m[0] in (0, 2)))
        if 0 in kinds and kinds & {1, 4, 5, 6, 7}:
            (out / 'fuzz_index' / f'{n}_{stem}').write_bytes(family(m for m in members if m[0] != 2))
    root = pathlib.Path(__file__).resolve().parents[2]
    lines = set()
    for script in (root / 'examples').glob('*.txt'):
        lines |= {l.strip() for l in script.read_bytes().split(b'\n') if l.strip()}
    for i, line in enumerate(sorted(lines)):
        (out / 'fuzz_line' / f'{i}').write_bytes(line)
    (out / 'fuzz_ini' / 'sample').write_bytes(
        b'; profile\r\n[Paths]\r\nData = "/srv/data"\r\nLevel=0x1F\r\n[paths]\r\nlevel=$20\r\n\r\n[Empty]\r\n')
    (out / 'fuzz_reg' / 'regedit4').write_bytes(
        b'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Shop]\r\n"Name"="Shop \\"one\\""\r\n'
        b'"Count"=dword:0000002a\r\n"Path"=hex(2):25,00,41,00,00,00\r\n"Raw"=hex:01,02,\\\r\n  03\r\n')
    (out / 'fuzz_reg' / 'version5').write_bytes(
        'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Shop]\r\n"On"=dword:00000001\r\n'
        .encode('utf-16'))
    (out / 'fuzz_reg' / 'wine').write_bytes(
        b'WINE REGISTRY Version 2\n;; All keys relative to \\User\\S-1-5-21\n\n[Software\\\\Shop] 1700000000\n'
        b'#time=1d9\n"Name"="Shop"\n"Count"=dword:00000003\n')
    (out / 'fuzz_log' / 'log').write_bytes(
        b'#1 - 12/08/2026 10:00:00: FLD_ADD("A", "B", FLDINT32, FLDSTDEFAULT, 0, 0)\r\nSuccess\r\n'
        b'#2 - 12/08/2026 10:00:01: FLD_DROP("A", "B")\r\n#2 - 12/08/2026 10:00:05: FLD_DROP("A", "B")\r\n'
        b'Success - Database already updated\r\n')
    names = set()
    for src in (root / 'library').rglob('*.cpp'):
        names |= set(re.findall(r'"([A-Z][A-Z0-9_]{1,30})"', src.read_text(errors='replace')))
    symbols = ['(', ')', ',', '+', '-', '*', '/', '=', '<>', '<=', '>=', '"', "'", ';', '.', ':']
    with open(out / 'fuzz_line.dict', 'w') as d:
        for word in sorted(names) + symbols:
            d.write('"%s"\n' % word.replace('\\', '\\\\').replace('"', '\\"'))


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
