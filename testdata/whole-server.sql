-- A server beyond its databases, loaded after demo.sql: configuration, devices, databases
-- over two devices with options, segments and thresholds, logins with roles and default
-- databases, a role granted to a role, and a remote server.
sp_configure 'number of locks', 20000
go
sp_configure 'number of user connections', 50
go
sp_configure 'lock scheme', 0, 'datarows'
go
disk init name = 'datadev1', physname = '/sybase/data/datadev1.dat', size = '200M'
go
disk init name = 'datadev2', physname = '/sybase/data/datadev2.dat', size = 10240
go
disk init name = 'logdev1', physname = '/sybase/data/logdev1.dat', size = '100M', dsync = false, directio = true
go
exec sp_addumpdevice 'disk', 'dumpdisk', '/backups/dump1.dmp'
go
exec sp_diskdefault datadev1, defaulton
go
create database sales on datadev1 = 50 log on logdev1 = 20
go
alter database sales on datadev2 = '10M'
go
alter database sales log on logdev1 = 5
go
create database hr on datadev1 = 5
go
create database archive on datadev1 = 4
go
exec sp_dboption sales, 'select into/bulkcopy/pllsort', true
go
exec sp_dboption sales, 'abort tran on log full', true
go
exec sp_dboption hr, 'trunc log on chkpt', true
go
use sales
go
exec sp_addsegment bigseg, sales, datadev1
go
exec sp_extendsegment bigseg, sales, datadev2
go
exec sp_dropsegment 'default', sales, datadev2
go
use master
go
exec sp_addlogin alice, 'alice_pw1', sales, us_english, 'Alice Smith'
go
create login dave with password 'dave_pw1' default database hr fullname 'Dave D'
go
create login erin with password 'erin_pw1'
go
exec sp_locklogin erin, 'lock'
go
create role clerk
go
create role manager with passwd 'mgr_pw1'
go
grant role clerk to manager
go
grant role manager to alice
go
grant role clerk to dave
go
exec sp_modifylogin dave, 'add default role', clerk
go
grant role oper_role to dave
go
exec sp_addserver REMOTE1, ASEnterprise, 'remhost:5000'
go
exec sp_serveroption REMOTE1, 'net password encryption', true
go
exec sp_serveroption REMOTE1, 'timeouts', false
go
use sales
go
exec sp_changedbowner alice
go
create table orders (id int not null, note varchar(40) null) on bigseg
go
exec sp_addthreshold sales, bigseg, 512, sp_warn
go
use hr
go
create procedure hr_login as select 1
go
use master
go
exec sp_modifylogin dave, 'login script', hr_login
go
use archive
go
create table history (id int not null, at datetime not null)
go
use master
go
exec sp_dboption archive, 'read only', true
go
