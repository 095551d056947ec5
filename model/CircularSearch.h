#pragma once
// The visiting order shared by the due and the text search: from the
// neighbour of start in the chosen direction, wrapping around the end, start
// itself last; from -1 one pass without wrapping.

template <typename Match>
int CircularSearch(int count, int start, bool down, Match matches)
{
    if (count == 0)
        return -1;
    const int step = down ? 1 : -1;
    const bool oneLap = start == -1;
    int i = start + step;
    for (;;) {
        if (i < 0)
            i = count - 1;
        if (i == count)
            i = 0;
        if (matches(i))
            return i;
        if (i == start)
            return -1;
        if (oneLap && ((step == 1 && i == count - 1) || (step == -1 && i == 0)))
            return -1;
        i += step;
    }
}
