// A test module whose info reply is read from a text file beside it (see
// InfoReply.h), so one built library copied under several names plays
// several tests.
#include "InfoReply.h"

extern "C" __attribute__((visibility("default"))) void DispatchMessage(uint32_t code, TArgCell* cells)
{
    if (code == MSG_INFO && cells && cells[0])
        kestrava::testing::AnswerFromInfoFile(*reinterpret_cast<TTestInfo*>(cells[0]));
}
