SELECT column_name = c.name,
 type_name = rtrim(t.name),
 prec = isnull(isnull(convert(int, c.prec),isnull(convert(int, d.data_precision),convert(int,c.length)))
+isnull(d.aux, convert(int,ascii(substring("???AAAFFFCKFOLS",2*(d.ss_dtype%35+1)+2-8/c.length,1))-60)), 0),
 scale = isnull(isnull(convert(smallint, c.scale),
convert(smallint, d.numeric_scale)) + convert(smallint, isnull(d.aux, ascii(substring("<<<<<<<<<<<<<<?", 2*(d.ss_dtype%35+1)+2-8/c.length,1))-60)), 0),
 length = isnull(isnull(convert(int, c.length), 0),
convert(int, d.length)) + convert(int, isnull(d.aux, ascii(substring("AAA<BB<DDDHJSPP", 2*(d.ss_dtype%35+1)+2-8/c.length,1))-64)),
 ident = convert(bit, (c.status & 0x80)),
 nullable = convert(smallint, convert(bit, c.status&8))
 FROM demo.dbo.syscolumns c,
 demo.dbo.sysobjects o,
 sybsystemprocs.dbo.spt_datatype_info d,
 demo.dbo.systypes t
 WHERE o.name = "TABLE"
 AND o.id = c.id
 AND c.usertype = t.usertype
 AND t.type = d.ss_dtype
 AND o.type != "P"
 AND (d.ss_dtype NOT IN (111, 109, 38, 110)
 OR c.usertype >= 100)
 ORDER BY colid
