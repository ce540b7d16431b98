-- The database "sademo" of tdsim's SQL Anywhere persona (tdsim --product sqlanywhere):
-- the objects belong to DBA, the product's default user, as if DBA had created them.
-- Written for this project.
create database sademo
go
use sademo
go
exec sp_addlogin 'joe', 'joe_pw'
go
exec sp_addgroup staff
go
exec sp_adduser DBA
exec sp_adduser joe, joe, staff
go
/* User types over char, varchar and numeric domains. */
exec sp_addtype phone_number, 'varchar(20)', 'null'
exec sp_addtype price, 'numeric(10,2)', 'not null'
exec sp_addtype country_code, 'char(2)', 'null'
go
setuser 'DBA'
go
create table customer (
    id int not null,
    name varchar(40) not null,
    phone phone_number null,
    country country_code null,
    created datetime null,
    balance money null,
    primary key (id)
)
go
create unique index customer_name on customer (name)
go
create table sales_order (
    order_no int not null,
    customer_id int not null,
    total price,
    quantity smallint null,
    note text null
)
go
create unique index sales_order_no on sales_order (order_no)
go
create index sales_order_customer on sales_order (customer_id, order_no)
go
create view big_order as
    select order_no, customer_id, total from sales_order where total > 100
go
create procedure customer_total
    @customer int,
    @since datetime = null,
    @total price output
as
    select @total = sum(total) from sales_order where customer_id = @customer
go
create procedure ping
as
    select 1
go
create trigger sales_order_check on sales_order for insert
as
    if exists (select 1 from inserted where quantity < 0)
        rollback transaction
go
setuser
go
