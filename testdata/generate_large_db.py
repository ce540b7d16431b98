#!/usr/bin/env python3
"""Writes a Transact-SQL script that creates a large synthetic database for tdsim
benchmarks: N tables of M columns, each with a clustered and a nonclustered index,
a trigger on every tenth table and a procedure on every tenth (or --procedure-every N). With --constraints, every fifth
table also has a primary key, a check, a declared default, a foreign key to the table
before it and a grant, and every tenth a view.

    generate_large_db.py --tables 10000 --columns 10 --database big > big.sql
"""
import argparse
import sys

COLUMN_TYPES = [
    "int not null", "varchar(40) null", "numeric(12,2) null", "datetime not null",
    "char(8) not null", "smallint null", "money null", "tinyint not null", "float null",
    "varchar(255) null",
]


def write_script(out, tables, columns, database, constraints=False, procedure_every=10):
    out.write(f"create database {database}\ngo\nuse {database}\ngo\n")
    for t in range(tables):
        name = f"tab_{t:05d}"
        declared = constraints and t % 5 == 0
        cols = ",\n".join(f"    col_{c:03d} {COLUMN_TYPES[(t + c) % len(COLUMN_TYPES)] if c else 'int not null'}"
                          for c in range(columns))
        if declared:
            cols += (f",\n    flag char(1) default 'N' not null check (flag in ('Y', 'N')),"
                     f"\n    parent int null,\n    constraint {name}_key primary key nonclustered (col_000)")
            if t >= 5:
                cols += f",\n    constraint {name}_fk foreign key (parent) references tab_{t - 5:05d} (col_000)"
        out.write(f"create table {name} (\n{cols}\n)\ngo\n")
        if declared:
            out.write(f"grant select on {name} to public\ngo\n")
        if constraints and t % 10 == 0:
            out.write(f"create view {name}_v as select col_000 from {name}\ngo\n")
        out.write(f"create unique clustered index {name}_pk on {name} (col_000)\ngo\n")
        if columns > 1:
            out.write(f"create nonclustered index {name}_ix on {name} (col_001, col_000)\ngo\n")
        if t % 10 == 0:
            out.write(f"create trigger {name}_ins on {name} for insert as print 'inserted into {name}'\ngo\n")
        if t % procedure_every == 0:
            out.write(f"create procedure {name}_get @key int as\n"
                      f"    select * from {name} where col_000 = @key\ngo\n")
    out.write("use master\ngo\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tables", type=int, default=1000)
    parser.add_argument("--columns", type=int, default=10)
    parser.add_argument("--database", default="big")
    parser.add_argument("--constraints", action="store_true")
    parser.add_argument("--procedure-every", type=int, default=10)
    args = parser.parse_args()
    write_script(sys.stdout, args.tables, args.columns, args.database, args.constraints,
                 args.procedure_every)


if __name__ == "__main__":
    main()
