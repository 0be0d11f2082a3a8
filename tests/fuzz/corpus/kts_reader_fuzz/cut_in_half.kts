<?xml version="1.0"?>
<Veltra RQ3101>
 <serialnumber>01234</serialnumber>
<spectrum>
  <tag>short one</tag>
  <hardsize>512</hardsize>
  <softsize>512</softsize>
  <offset>0</offset>
  <data>
10
+20
+