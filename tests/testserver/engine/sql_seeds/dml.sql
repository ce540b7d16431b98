insert into t (a, b) values (0x1f, $12.50)
update t set b = convert(char(5), getdate(), 101) from t, u where t.a = u.a
delete t from t, u where t.a *= u.a
select case when a % 2 = 1 then 'odd' else 'even' end, substring('abc', 1, 2) + null from t group by a having count(*) > 1 union all select 1, 2