-- Written for Skelder's tests (the project's own licence); not taken from any tool.
-- A whole production database in the form that Adaptive Server 15.7's reverse-engineering
-- utility writes it (as its output is found in public repositories and described in the
-- Utility Guide): one section per object with a "-- DDL for" banner and a print, the
-- database with its options, segments and thresholds, logins, groups and users, user types
-- with bound defaults and rules, tables under setuser 'dbo' with lock scheme,
-- dml_logging, exp_row_size and segment, "Granted by dbo" grants, sp_placeobject for
-- indexes, views, triggers and procedures each followed by sp_procxmode.

-----------------------------------------------------------------------------
-- DDL for Login 'erp_app'
-----------------------------------------------------------------------------

print '<<<<< CREATING Login - erp_app >>>>>'
go

exec sp_addlogin 'erp_app', 'erpfixture1', 'master', 'us_english', 'ERP application'
go

print '<<<<< CREATING Login - erp_report >>>>>'
go

exec sp_addlogin 'erp_report', 'erpfixture2'
go

-----------------------------------------------------------------------------
-- DDL for Database 'erp'
-----------------------------------------------------------------------------

print '<<<<< CREATING Database - erp >>>>>'
go

use master
go

create database erp on default = '40M'
log on default = '10M'
go

use erp
go

exec master.dbo.sp_dboption erp, 'select into/bulkcopy/pllsort', true
go

exec master.dbo.sp_dboption erp, 'trunc log on chkpt', true
go

exec master.dbo.sp_dboption erp, 'ddl in tran', true
go

use erp
go

checkpoint
go

-----------------------------------------------------------------------------
-- DDL for Segment 'erp_index'
-----------------------------------------------------------------------------

print '<<<<< CREATING Segment - erp_index >>>>>'
go

exec sp_addsegment 'erp_index', 'erp', 'data_dev'
go

-----------------------------------------------------------------------------
-- DDL for Threshold 'erp.logsegment'
-----------------------------------------------------------------------------

print '<<<<< CREATING Threshold - logsegment >>>>>'
go

exec sp_addthreshold 'erp', 'logsegment', 1024, 'sp_thresholdaction'
go

-----------------------------------------------------------------------------
-- DDL for Group 'readers'
-----------------------------------------------------------------------------

print '<<<<< CREATING Group - "readers" >>>>>'
go

exec sp_addgroup 'readers'
go

-----------------------------------------------------------------------------
-- DDL for User 'erp_app'
-----------------------------------------------------------------------------

print '<<<<< CREATING User - "erp_app" >>>>>'
go

exec sp_adduser 'erp_app' ,'erp_app' ,'public'
go

print '<<<<< CREATING User - "erp_report" >>>>>'
go

exec sp_adduser 'erp_report' ,'erp_report' ,'readers'
go

-----------------------------------------------------------------------------
-- DDL for UserDefinedDatatype 'amount_t'
-----------------------------------------------------------------------------

print '<<<<< CREATING UserDefinedDatatype - "amount_t" >>>>>'
go

exec  sp_addtype 'amount_t' , 'numeric(15,2)' , 'nonull'
go

print '<<<<< CREATING UserDefinedDatatype - "code_t" >>>>>'
go

exec  sp_addtype 'code_t' , 'varchar(12)' , 'nonull'
go

-----------------------------------------------------------------------------
-- DDL for Default 'dbo.zero_amount'
-----------------------------------------------------------------------------

print '<<<<< CREATING Default - "dbo.zero_amount" >>>>>'
go

setuser 'dbo'
go

create default zero_amount
as 0
go

setuser
go

sp_bindefault 'dbo.zero_amount', 'amount_t'
go

-----------------------------------------------------------------------------
-- DDL for Rule 'dbo.non_negative'
-----------------------------------------------------------------------------

print '<<<<< CREATING Rule - "dbo.non_negative" >>>>>'
go

setuser 'dbo'
go

create rule non_negative
as @value >= 0
go

setuser
go

sp_bindrule 'dbo.non_negative', 'amount_t'
go

-----------------------------------------------------------------------------
-- DDL for Table 'erp.dbo.customer'
-----------------------------------------------------------------------------

print '<<<<< CREATING Table - "erp.dbo.customer" >>>>>'
go

use erp
go

setuser 'dbo'
go

create table customer (
	cust_id                         numeric(10,0)                    identity  ,
	cust_code                       code_t                           not null  ,
	name                            varchar(80)                      not null  ,
	credit_limit                    amount_t                         not null  ,
	created                         datetime                        DEFAULT  getdate()
   not null  ,
	closed                          bit                             DEFAULT  0
   not null  ,
	note                            varchar(255)                         null  ,
		CONSTRAINT customer_pk PRIMARY KEY CLUSTERED ( cust_id )  on 'default' ,
		CONSTRAINT customer_code_uq UNIQUE NONCLUSTERED ( cust_code )  on 'erp_index'
)
lock datarows
with dml_logging = full
 on 'default'
go

Grant Select on dbo.customer to public Granted by dbo
go
Grant Insert on dbo.customer to erp_app Granted by dbo
go
Grant Update on dbo.customer to erp_app Granted by dbo
go
Revoke Select on dbo.customer(note) from readers
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Table 'erp.dbo.rate'
-----------------------------------------------------------------------------

print '<<<<< CREATING Table - "erp.dbo.rate" >>>>>'
go

use erp
go

setuser 'dbo'
go

create table rate (
	currency                        char(3)                          not null  ,
	valid_from                      datetime                         not null  ,
	rate                            float(16)                        not null  ,
		CONSTRAINT rate_pk PRIMARY KEY CLUSTERED ( currency, valid_from )  on 'default'
)
lock datapages
with exp_row_size = 1, dml_logging = minimal
 on 'default'
go

Grant Select on dbo.rate to public Granted by dbo
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Table 'erp.dbo.order_head'
-----------------------------------------------------------------------------

print '<<<<< CREATING Table - "erp.dbo.order_head" >>>>>'
go

use erp
go

setuser 'dbo'
go

create table order_head (
	order_id                        numeric(12,0)                    identity  ,
	cust_id                         numeric(10,0)                    not null  ,
	order_date                      datetime                         not null  ,
	currency                        char(3)                         DEFAULT  'EUR'
   not null  ,
	total                           amount_t                         not null  ,
	status                          char(1)                         DEFAULT  'N'
   not null  ,
		CONSTRAINT order_head_pk PRIMARY KEY CLUSTERED ( order_id )  on 'default' ,
		CONSTRAINT order_status_ck CHECK (status in ('N', 'P', 'S', 'C'))
)
lock datarows
with exp_row_size = 0, dml_logging = full
 on 'default'
partition by roundrobin 1
go

Grant Select on dbo.order_head to readers Granted by dbo
go
Grant Insert on dbo.order_head to erp_app Granted by dbo
go
Grant Update on dbo.order_head to erp_app Granted by dbo
go
Grant Delete on dbo.order_head to erp_app Granted by dbo
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Table 'erp.dbo.order_line'
-----------------------------------------------------------------------------

print '<<<<< CREATING Table - "erp.dbo.order_line" >>>>>'
go

use erp
go

setuser 'dbo'
go

create table order_line (
	order_id                        numeric(12,0)                    not null  ,
	line_no                         smallint                         not null  ,
	item_code                       code_t                           not null  ,
	quantity                        int                              not null  ,
	unit_price                      amount_t                         not null  ,
	line_total                      AS quantity * unit_price MATERIALIZED  null  ,
		CONSTRAINT order_line_pk PRIMARY KEY CLUSTERED ( order_id, line_no )  on 'default' ,
		CONSTRAINT order_line_qty_ck CHECK (quantity > 0)
)
lock datarows
with dml_logging = full
 on 'default'
go

Grant Select on dbo.order_line to readers Granted by dbo
go
Grant Insert on dbo.order_line to erp_app Granted by dbo
go
Grant Delete on dbo.order_line to erp_app Granted by dbo
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Index 'order_head_by_cust'
-----------------------------------------------------------------------------

print '<<<<< CREATING Index - "order_head_by_cust" >>>>>'
go

create nonclustered index order_head_by_cust
on erp.dbo.order_head(cust_id, order_date DESC)
with fillfactor = 90
on 'erp_index'
go

exec sp_placeobject 'erp_index', 'dbo.order_head.order_head_by_cust'
go

-----------------------------------------------------------------------------
-- DDL for Index 'order_line_by_item'
-----------------------------------------------------------------------------

print '<<<<< CREATING Index - "order_line_by_item" >>>>>'
go

create nonclustered index order_line_by_item
on erp.dbo.order_line(item_code)
on 'erp_index'
go

-----------------------------------------------------------------------------
-- DDL for Foreign Key 'order_head_cust_fk'
-----------------------------------------------------------------------------

print '<<<<< CREATING Foreign Key - "order_head_cust_fk" >>>>>'
go

alter table erp.dbo.order_head
add constraint order_head_cust_fk FOREIGN KEY (cust_id) REFERENCES erp.dbo.customer(cust_id)
go

alter table erp.dbo.order_line
add constraint order_line_head_fk FOREIGN KEY (order_id) REFERENCES erp.dbo.order_head(order_id)
go

-----------------------------------------------------------------------------
-- DDL for View 'erp.dbo.open_orders'
-----------------------------------------------------------------------------

print '<<<<< CREATING View - "erp.dbo.open_orders" >>>>>'
go

use erp
go

setuser 'dbo'
go

create view open_orders
as
select h.order_id, h.order_date, c.name, h.total, h.currency
from order_head h, customer c
where h.cust_id = c.cust_id
and h.status in ('N', 'P')
go

Grant Select on dbo.open_orders to readers Granted by dbo
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Trigger 'erp.dbo.order_line_sum'
-----------------------------------------------------------------------------

print '<<<<< CREATING Trigger - "erp.dbo.order_line_sum" >>>>>'
go

use erp
go

setuser 'dbo'
go

create trigger order_line_sum on order_line
for insert, delete
as
begin
    update order_head
       set total = isnull((select sum(l.line_total) from order_line l
                           where l.order_id = order_head.order_id), 0)
     where order_id in (select order_id from inserted
                        union select order_id from deleted)
end
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Trigger 'erp.dbo.customer_audit'
-----------------------------------------------------------------------------

print '<<<<< CREATING Trigger - "erp.dbo.customer_audit" >>>>>'
go

use erp
go

setuser 'dbo'
go

create trigger customer_audit on customer
for update
as
if update(credit_limit)
    print 'credit limit changed'
go

setuser
go

alter table erp.dbo.customer disable trigger customer_audit
go

-----------------------------------------------------------------------------
-- DDL for Stored Procedure 'erp.dbo.order_place'
-----------------------------------------------------------------------------

print '<<<<< CREATING Stored Procedure - "erp.dbo.order_place" >>>>>'
go

use erp
go

setuser 'dbo'
go

create procedure order_place
    @cust_id numeric(10,0),
    @currency char(3) = 'EUR',
    @discount float = -1.0,
    @order_id numeric(12,0) output
with execute as owner
as
begin
    declare @err int
    if not exists (select 1 from customer where cust_id = @cust_id and closed = 0)
    begin
        raiserror 20001 'customer %1! unknown or closed', @cust_id
        return -1
    end
    begin tran
    insert order_head (cust_id, order_date, currency, total, status)
    values (@cust_id, getdate(), @currency, 0, 'N')
    select @err = @@error, @order_id = @@identity
    if @err != 0
    begin
        rollback tran
        return -2
    end
    commit tran
    return 0
end
go

exec sp_procxmode 'order_place', 'anymode'
go

Grant Execute on dbo.order_place to erp_app Granted by dbo
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Stored Procedure 'erp.dbo.order_close_old'
-----------------------------------------------------------------------------

print '<<<<< CREATING Stored Procedure - "erp.dbo.order_close_old" >>>>>'
go

use erp
go

setuser 'dbo'
go

create procedure order_close_old
    @days int = 90
as
    declare @closed int
    select @closed = 0
    update order_head
       set status = 'C'
     where status = 'S'
       and datediff(dd, order_date, getdate()) > @days
    select @closed = @@rowcount
    if @closed > 0
        print '%1! orders closed', @closed
    dump tran erp with truncate_only
    return 0
go

exec sp_procxmode 'order_close_old', 'chained'
go

Grant Execute on dbo.order_close_old to erp_app Granted by dbo
go

setuser
go

-----------------------------------------------------------------------------
-- DDL for Permissions on system tables
-----------------------------------------------------------------------------

print '<<<<< CREATING Permissions - system tables >>>>>'
go

use erp
go

Revoke Select on dbo.sysobjects(audflags) from public
go
Revoke Select on dbo.sysprotects from public
go
Grant Select on dbo.sysprotects to readers Granted by dbo
go

-- DDLGen Completed
-- at 12/01/26 10:00:00 PM
