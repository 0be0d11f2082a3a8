<spectrum>
<tag>Cs-137</tag>
<counts>
12
0
</counts>
<Registers>
<size>6</size>
<data>
1 2 3
-7
70000
abc
</data>
</registers>
</spectrum>
