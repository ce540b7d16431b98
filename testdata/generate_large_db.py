#!/usr/bin/env python3
"""Writes a Transact-SQL script that creates a large synthetic database for tdsim
benchmarks: N tables of M columns, each with a clustered and a nonclustered index,
and a trigger and a procedure on every tenth table.

    generate_large_db.py --tables 10000 --columns 10 --database big > big.sql
"""
import argparse
import sys

COLUMN_TYPES = [
    "int not null", "varchar(40) null", "numeric(12,2) null", "datetime not null",
    "char(8) not null", "smallint null", "money null", "tinyint not null", "float null",
    "varchar(255) null",
]


def write_script(out, tables, columns, database):
    out.write(f"create database {database}\ngo\nuse {database}\ngo\n")
    for t in range(tables):
        name = f"tab_{t:05d}"
        cols = ",\n".join(f"    col_{c:03d} {COLUMN_TYPES[(t + c) % len(COLUMN_TYPES)] if c else 'int not null'}"
                          for c in range(columns))
        out.write(f"create table {name} (\n{cols}\n)\ngo\n")
        out.write(f"create unique clustered index {name}_pk on {name} (col_000)\ngo\n")
        if columns > 1:
            out.write(f"create nonclustered index {name}_ix on {name} (col_001, col_000)\ngo\n")
        if t % 10 == 0:
            out.write(f"create trigger {name}_ins on {name} for insert as print 'inserted into {name}'\ngo\n")
            out.write(f"create procedure {name}_get @key int as\n"
                      f"    select * from {name} where col_000 = @key\ngo\n")
    out.write("use master\ngo\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tables", type=int, default=1000)
    parser.add_argument("--columns", type=int, default=10)
    parser.add_argument("--database", default="big")
    args = parser.parse_args()
    write_script(sys.stdout, args.tables, args.columns, args.database)


if __name__ == "__main__":
    main()
