talvo_1.2

-5x


0

5
1
