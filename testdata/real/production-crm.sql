-- Written for Skelder's tests (the project's own licence); not taken from any tool.
-- Two 15.7 production databases as their administrators built them over the years, in the
-- plain batch form of an installer: a database with "allow nulls by default", users and
-- groups added in an order that is not their names' order, user datatypes without a null
-- type, checks in lower case, virtual and materialized computed columns (one indexed),
-- dml_logging and exp_row_size, a trigger disabled for the two actions it serves, an
-- instead-of trigger on a view, a foreign key to a table of another database, a
-- procedure that runs as its owner in any transaction mode, rules and defaults bound to
-- columns and datatypes, and grants.

use master
go

exec sp_addlogin 'crm_zed', 'crmfixture1'
go
exec sp_addlogin 'crm_adam', 'crmfixture2'
go
exec sp_addlogin 'crm_mia', 'crmfixture3'
go

create database crm_ref
go
create database crm
go
exec sp_dboption crm, 'allow nulls by default', true
go

use crm_ref
go

create table country (
    code    char(2)      not null,
    name    varchar(60)  not null,
    constraint country_pk primary key clustered (code)
)
go

use crm
go

-- Groups and users: ids follow the order they were added in.
exec sp_addgroup zeta_grp
go
exec sp_addgroup alpha_grp
go
exec sp_adduser 'crm_zed', 'zed', 'zeta_grp'
go
exec sp_adduser 'crm_adam', 'adam', 'alpha_grp'
go
exec sp_adduser 'crm_mia', 'mia'
go

-- Without a null type: nullable here, as the database option says.
exec sp_addtype phone_t, 'varchar(20)'
go
exec sp_addtype score_t, 'int', 'not null'
go

create rule score_range as @v between 0 and 100
go
create default score_zero as 0
go
exec sp_bindrule score_range, score_t
go
exec sp_bindefault score_zero, score_t
go

create rule phone_rule as @p like '+%'
go

create table contact (
    contact_id  int           identity,
    name        varchar(80)   not null,
    phone       phone_t,
    mobile      varchar(20),
    score       score_t,
    country     char(2)       not null,
    qty         int           default 1 check (qty > 0),
    price       money         not null,
    amount      as qty * price materialized,
    shout       as upper(name),
    constraint contact_pk primary key clustered (contact_id),
    constraint contact_qty_ck check (qty < 1000),
    constraint contact_country_fk foreign key (country) references crm_ref.dbo.country (code)
)
lock datarows
with exp_row_size = 120, dml_logging = minimal
go

exec sp_bindrule phone_rule, 'contact.mobile'
go

create index contact_amount on contact (amount)
go

create table contact_log (
    contact_id  int           not null,
    changed     datetime      default getdate() not null,
    note        varchar(255)
)
go

create trigger contact_audit on contact for insert, update
as
    insert into contact_log (contact_id, note)
    select contact_id, 'changed' from inserted
go

alter table contact disable trigger contact_audit
go

create trigger contact_gone on contact for delete
as
    print 'contact deleted'
go

create view contact_names
as
select contact_id, name from contact
go

create trigger contact_names_ins on contact_names instead of insert
as
    insert into contact (name, country, price)
    select name, 'CH', $0 from inserted
go

create procedure contact_touch @id int
with execute as owner
as
    update contact set score = score where contact_id = @id
    return 0
go

exec sp_procxmode 'contact_touch', 'anymode'
go

grant select on contact to alpha_grp
go
grant select, insert on contact_names to zed
go
grant execute on contact_touch to mia
go
revoke select on contact(price) from alpha_grp
go
