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
+30
40
  </data>
</spectrum>
<time>
  <real>    1.0000</real>
  <live>    0.9000</live>
  <dead>   10.0000</dead>
  <date>WAITING FOR START</date>
</time>
<registers>
  <size>4</size>
  <data>
1
2
3
4
  </data>
</registers>
<calibration>
  <enabled>YES</enabled>
  <units>1</units>
  <channelA>   10.0000</channelA>
  <energyA>   20.0000</energyA>
  <useA>1</useA>
  <channelB>   30.0000</channelB>
  <energyB>   40.0000</energyB>
  <useB>1</useB>
  <channelC>   50.0000</channelC>
  <energyC>   60.0000</energyC>
  <useC>0</useC>
  <useall>NO</useall>
</calibration>
<volatile>
  <firmware> 0.29</firmware>
  <intemp>31</intemp>
  <slowadc> 1.25</slowadc>
</volatile>
</Veltra RQ3101>
