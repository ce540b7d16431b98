create procedure p;2 @a int = 5 output, @b varchar(10) as
begin
 if exists (select * from t where a = @a) select @b = "x" else print "none"
 while @a > 0 select @a = @a - 1
 return 3
end
