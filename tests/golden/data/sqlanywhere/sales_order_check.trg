USE sademo
GO

/************ sales_order_check ************/
SETUSER 'DBA'
GO
IF EXISTS(SELECT * FROM sademo.dbo.sysobjects WHERE name = "sales_order_check" AND type = "TR" AND uid = user_id("DBA"))
  DROP TRIGGER DBA.sales_order_check
GO

create trigger sales_order_check on sales_order for insert
as
    if exists (select 1 from inserted where quantity < 0)
        rollback transaction
GO
SETUSER
GO
