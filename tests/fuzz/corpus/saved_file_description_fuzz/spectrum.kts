<?xml version="1.0"?>
<Veltra RQ3102>
<spectrum>
  <tag>vial 7</tag>
  <data>
5
+7
  </data>
</spectrum>
<time>
  <real>60.0000</real>
  <live>59.5000</live>
  <date>09/12/2026  08:01:02</date>
</time>
<volatile>
  <firmware>1.20</firmware>
</volatile>
</Veltra RQ3102>
