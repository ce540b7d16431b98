create table [t 1] (a numeric(10,0) identity, b char(3) default "x" not null, primary key (a)) on seg
create unique clustered index i on t (a desc, b) with ignore_dup_key, fillfactor = 50 on "seg"
grant select (a, b) on t to public with grant option
revoke all on t from g cascade
