#include "platform/posix/Seams.h"

AfxPosixSeams& AfxPosixSeam()
{
    static AfxPosixSeams seams;
    return seams;
}
