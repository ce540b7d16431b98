-- Demo databases for tdsim: "demo" exercises every catalog feature Skelder reads,
-- "inventory" is a second, small database. Written for this project.
create database demo
go
create database inventory
go
use demo
go
exec sp_addsegment demo_seg, demo, demo_dev
go
exec sp_addlogin 'mary', 'mary_pw'
exec sp_addlogin 'john', 'john_pw'
exec sp_addlogin 'ann', 'ann_pw'
exec sp_addlogin 'bob', 'bob_pw'
go
exec sp_addgroup sales
exec sp_addgroup engineering
exec sp_addgroup readers
go
exec sp_adduser mary, mary, sales
exec sp_adduser john, john, engineering
exec sp_adduser ann, ann, sales
exec sp_adduser bob
exec sp_adduser guest
go
/* A login that acts as the database owner. */
exec sp_addlogin 'carol', 'carol_pw'
go
exec sp_addalias carol, dbo
go
/* User datatypes: char, varchar, numeric and identity based, with and without NULL. */
exec sp_addtype ssn, 'varchar(11)', 'not null'
exec sp_addtype zipcode, 'char(5)', 'null'
exec sp_addtype amount, 'numeric(12,2)', 'null'
exec sp_addtype row_id, 'numeric(10,0)', 'identity'
exec sp_addtype short_note, 'varchar(40)'
go
create rule r_positive as @value >= 0
go
create rule r_zip as @zip like "[0-9][0-9][0-9][0-9][0-9]"
go
create default d_zero as 0
go
create default d_country as 'USA'
go
exec sp_bindrule r_positive, amount
exec sp_bindefault d_zero, amount
exec sp_bindrule r_zip, zipcode
go
/* Every built-in type, not null. */
create table all_types (
    c_tinyint       tinyint         not null,
    c_smallint      smallint        not null,
    c_int           int             not null,
    c_bigint        bigint          not null,
    c_bit           bit             not null,
    c_numeric       numeric(10,2)   not null,
    c_decimal       decimal(18,4)   not null,
    c_float         float           not null,
    c_real          real            not null,
    c_money         money           not null,
    c_smallmoney    smallmoney      not null,
    c_datetime      datetime        not null,
    c_smalldatetime smalldatetime   not null,
    c_date          date            not null,
    c_time          time            not null,
    c_char          char(10)        not null,
    c_varchar       varchar(100)    not null,
    c_nchar         nchar(5)        not null,
    c_nvarchar      nvarchar(20)    not null,
    c_binary        binary(8)       not null,
    c_varbinary     varbinary(16)   not null,
    c_unichar       unichar(4)      not null,
    c_univarchar    univarchar(10)  not null,
    c_usmallint     unsigned smallint not null,
    c_uint          unsigned int    not null,
    c_ubigint       unsigned bigint not null,
    c_sysname       sysname         not null,
    c_timestamp     timestamp       not null,
    c_text          text            null,
    c_image         image           null,
    c_unitext       unitext         null
)
go
/* The same types, nullable: stored as their variable-length twins. */
create table nullable_types (
    n_tinyint       tinyint         null,
    n_smallint      smallint        null,
    n_int           int             null,
    n_bigint        bigint          null,
    n_numeric       numeric(10,2)   null,
    n_decimal       decimal(18,4)   null,
    n_float         float           null,
    n_real          real            null,
    n_money         money           null,
    n_smallmoney    smallmoney      null,
    n_datetime      datetime        null,
    n_smalldatetime smalldatetime   null,
    n_char          char(10)        null,
    n_varchar       varchar(100)    null,
    n_binary        binary(8)       null,
    n_default_null  int
)
go
create table customers (
    cust_id     row_id,
    name        varchar(40)     not null,
    ssn         ssn,
    zip         zipcode,
    balance     amount,
    country     char(3)         default 'USA' not null,
    created     datetime        default getdate() not null,
    notes       short_note      null
)
go
create unique clustered index customers_pk on customers (cust_id) with ignore_dup_key
go
create nonclustered index customers_name on customers (name, zip) with sorted_data on demo_seg
go
create table orders (
    order_id    int             not null,
    cust_id     numeric(10,0)   not null,
    order_date  datetime        not null,
    total       money           null,
    status      char(1)         not null
) on demo_seg
go
create clustered index orders_by_customer on orders (cust_id, order_date) with allow_dup_row
go
create unique nonclustered index orders_id on orders (order_id)
go
create table order_lines (
    order_id    int             not null,
    line_no     smallint        not null,
    item        varchar(30)     not null,
    qty         int             not null,
    price       money           not null
)
go
create clustered index order_lines_ci on order_lines (order_id, line_no) with ignore_dup_row
go
create table table_name_with_thirty_chars_x (
    a_column_named_with_thirty_chr int not null,
    short_col char(2) null
)
go
create table mary.notes (
    note_id     int             not null,
    body        varchar(255)    null
)
go
insert into customers (name, ssn, zip, balance) values ('Ada Lovelace', '123-45-6789', '10001', 100.50)
insert into customers (name, ssn, zip, balance) values ('Charles Babbage', '987-65-4321', '02139', 0)
insert into customers (name, ssn, zip, balance, notes) values ('Grace Hopper', '555-12-3456', null, 2500.75, 'compiler pioneer')
insert into orders values (1, 1, '2024-01-15 10:30', 250.00, 'N')
insert into orders values (2, 1, '2024-02-01', 75.25, 'S')
insert into orders values (3, 3, '2024-03-10 16:45:30', null, 'N')
insert into order_lines values (1, 1, 'widget', 10, 20.00)
insert into order_lines values (1, 2, 'gadget', 1, 50.00)
insert into order_lines values (2, 1, 'widget', 3, 25.08)
go
create trigger customers_ins on customers for insert
as
begin
    if exists (select * from inserted where balance < 0)
        print 'negative balance'
end
go
create trigger customers_upd on customers for update
as
    print 'customer changed'
go
create trigger orders_del on orders for delete
as
    delete order_lines from order_lines, deleted where order_lines.order_id = deleted.order_id
go
create trigger order_lines_insupd on order_lines for insert, update
as
    print 'order lines changed'
go
create view v_customers as
    select cust_id, name, zip from customers where balance > 0
go
create view v_order_totals (cust_id, order_count, total_amount) as
select o.cust_id, count(*), sum(o.total)
from orders o
group by o.cust_id
go
create procedure p_get_customer @cust_id numeric(10,0), @name varchar(40) = null output
as
    select @name = name from customers where cust_id = @cust_id
    select cust_id, name, zip, balance from customers where cust_id = @cust_id
    return 0
go
/* Over 600 characters: its text takes three syscomments rows. */
create procedure p_customer_report @min_balance money = 0, @country char(3) = 'USA'
as
/*
 * Lists the customers whose balance reaches a minimum, with the number and the
 * total of their orders. Used by the nightly report; keep the column order, the
 * report template reads the columns by position and not by name.
 */
select c.cust_id,
       c.name,
       c.zip,
       c.balance,
       order_count = (select count(*) from orders o where o.cust_id = c.cust_id),
       order_total = (select sum(o.total) from orders o where o.cust_id = c.cust_id)
from customers c
where c.balance >= @min_balance
  and c.country = @country
order by c.name
return 0
go
create procedure p_rename_customer @cust_id numeric(10,0), @new_name varchar(40)
as
-- Renames one customer. The text of this procedure is laid out so that the first
-- syscomments row ends inside a word: the reader must join rows without adding
-- anything. Its body is an update followed by a check of the count of rows.
update customers set name = @new_name where cust_id = @cust_id
if @@rowcount = 0
    print 'no such customer'
return 0
go
create procedure p_orders;1 @cust_id numeric(10,0)
as
    select order_id, order_date, total from orders where cust_id = @cust_id
go
create procedure p_orders;2 @order_id int
as
    select line_no, item, qty, price from order_lines where order_id = @order_id
go
grant select on customers to public
go
grant insert, update on customers to sales
go
grant select (name, zip) on customers to john
go
grant all on order_lines to engineering
go
grant execute on p_get_customer to public
go
grant execute on p_customer_report to sales with grant option
go
revoke update on customers from ann
go
grant select on v_customers to readers
go
grant create table to engineering
go
use inventory
go
exec sp_adduser mary
go
create table items (
    item_id     int             not null,
    description varchar(60)     not null,
    on_hand     int             null,
    price       money           not null
)
go
create unique clustered index items_pk on items (item_id)
go
insert items values (1, 'widget', 120, 2.00)
insert items values (2, 'gadget', 4, 50.00)
go
create procedure p_low_stock @limit int = 10
as
    select item_id, description, on_hand from items where on_hand < @limit
go
grant select on items to mary
go
use master
go
