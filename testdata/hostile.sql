-- Objects whose names (and one text) try to break the script that re-creates them:
-- quotes, comment ends, blanks, brackets, reserved words, and lines that read as GO.
create database hostile
go
use hostile
go
create table victim (a int)
go
set quoted_identifier on
go
create table "it's" (a int primary key, "b""c" int, "col */ x" int null)
go
create table "a*/b" (a int, ref int null references "it's"(a))
go
create table " lead" (a int)
go
create table "br[ack]et" ("select" int)
go
create table "with blank" (x int, constraint "pk blank" primary key (x))
go
create view "v'1" as select a from "it's"
go
create procedure "p*/x" as select 1
go
create index "i'x" on "it's"("b""c")
go
create table "a.b" (x int)
go
create index ix on "a.b"(x)
go
create trigger "t'r" on "it's" for insert as print 'inserted'
go
create rule "r/*1" as @v > 0
go
grant select on "it's" to public
go
grant update ("b""c") on "it's" to public
go
-- A table name and a procedure text with a line that reads as GO: isql would run what
-- follows that line as a batch of its own.
declare @s varchar(300)
select @s = 'create table "evil' + char(10) + 'GO' + char(10) + 'drop table victim' + char(10) + '--" (a int)'
exec(@s)
go
set quoted_identifier off
go
declare @s varchar(300)
select @s = 'create procedure with_go_line as' + char(10) + '/*' + char(10) + 'go' + char(10) + '*/' + char(10) + 'select 1'
exec(@s)
go
-- isql, fisql and tsql end a batch at "go" followed by a blank and anything: a procedure
-- whose string literal holds such lines and a table whose name does.
declare @s varchar(300)
select @s = 'create procedure go_please as select ''' + char(10) + 'go please' + char(10) + 'drop table victim' + char(10) + 'go please' + char(10) + ''''
exec(@s)
go
declare @s varchar(300)
select @s = 'create procedure with_reset as select ''' + char(10) + 'reset' + char(10) + ''''
exec(@s)
go
set quoted_identifier on
go
declare @s varchar(300)
select @s = 'create table "inj3' + char(10) + 'go x' + char(10) + 'create table pwned3 (a int)' + char(10) + 'go x' + char(10) + '--" (a int)'
exec(@s)
go
-- A name that starts with @ reads as a variable unless it is quoted; a CR or LF in a name
-- cannot be kept apart from the script's CR LF line ends.
create table "@t" (a int)
go
declare @s varchar(300)
select @s = 'create table "cr' + char(13) + 'name" (a int)'
exec(@s)
go
create table crix (a int)
go
declare @s varchar(300)
select @s = 'create table "lf' + char(10) + 'name" (a int)'
exec(@s)
go
declare @s varchar(300)
select @s = 'create index "ix' + char(13) + 'cr" on crix(a)'
exec(@s)
go
-- A name that would drive a terminal that lists it raw.
declare @s varchar(300)
select @s = 'create table "esc' + char(27) + '[2J" (a int)'
exec(@s)
go
-- A table whose file would be the list of files with --ext tables=txt.
create table "replay-order" (a int)
go
-- Owner "a.b" with table "c" and owner "a" with table "b.c": both captions read "a.b.c".
exec sp_addlogin 'a.b', 'a_b_pw'
exec sp_addlogin 'a', 'a_pw'
go
exec sp_adduser 'a.b'
exec sp_adduser 'a'
go
create table "a.b".c (x int)
go
create table a."b.c" (y int)
go
set quoted_identifier off
go
