#!/usr/bin/env python3
"""Builds data/collation.txt, the collation table that ships beside brinehold.

Input: a tab-separated list of SQL Server collations (name, collation id as a
signed 32-bit decimal, code page), '#' lines being comments. Output: one line
per collation, "name<TAB>id<TAB>code page", sorted by name, ASCII, LF line
ends. The id is the value SQL Server stores in the boot page and in the
column rows of syscolpars.

Code page 0 marks a Unicode-only collation: it has no 8-bit code page and can
only be used by nchar/nvarchar/ntext columns. The value decoders treat 0 as
the system ANSI code page, so text still shows as text.

The _UTF8 collations of SQL Server 2019 and later (code page 65001) are not
listed: their stored ids are not established, and a guessed id could make a
database with a different collation decode its text in the wrong code page.

Usage: make_collation_txt.py INPUT.tsv OUTPUT.txt
"""

import sys


def parse(lines):
    """Yields (name, id, code_page) and rejects anything doubtful."""
    seen_names = set()
    seen_ids = {}
    for number, line in enumerate(lines, 1):
        line = line.rstrip("\r\n")
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 3:
            raise ValueError(f"line {number}: expected 3 fields, got {len(fields)}")
        name, id_text, code_page_text = fields
        collation_id = int(id_text)
        code_page = int(code_page_text)
        if not name or not name.isascii() or " " in name:
            raise ValueError(f"line {number}: bad collation name {name!r}")
        if not -2**31 <= collation_id < 2**31:
            raise ValueError(f"line {number}: id {collation_id} is not a signed 32-bit value")
        if not 0 <= code_page < 2**31:
            raise ValueError(f"line {number}: bad code page {code_page}")
        if name in seen_names:
            raise ValueError(f"line {number}: {name} listed twice")
        if collation_id in seen_ids:
            raise ValueError(f"line {number}: id {collation_id} of {name} already used by "
                             f"{seen_ids[collation_id]}")
        seen_names.add(name)
        seen_ids[collation_id] = name
        yield name, collation_id, code_page


def check_layout(name, collation_id):
    """The id's bit layout must agree with the name; a mismatch means the input is damaged."""
    unsigned = collation_id & 0xFFFFFFFF
    sort_id = unsigned >> 24
    if name.startswith("SQL_") != (sort_id != 0):
        raise ValueError(f"{name}: sort id {sort_id} does not fit the name")
    if ("_BIN2" in name) != bool(unsigned & 0x800):
        raise ValueError(f"{name}: BIN2 bit does not fit the name")
    if unsigned & 0x400:
        raise ValueError(f"{name}: bit 10 set; not expected outside _UTF8 collations")


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as source:
        rows = list(parse(source))
    for name, collation_id, _ in rows:
        check_layout(name, collation_id)
    rows.sort(key=lambda row: row[0])
    with open(argv[2], "w", encoding="ascii", newline="\n") as out:
        for name, collation_id, code_page in rows:
            out.write(f"{name}\t{collation_id}\t{code_page}\n")
    sys.stderr.write(f"{len(rows)} collations written to {argv[2]}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
