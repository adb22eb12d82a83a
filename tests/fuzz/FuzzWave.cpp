// Wave files the sound table loads by name; a long one is streamed, so its
// chunks are read to the end as the player would.
#include "audio/SoundFile.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kestrava;
    const std::string path = fuzz::InputFile("SOUND.WAV", data, size);
    audio::TSoundFile sound(path);
    if (sound.streamed) {
        std::vector<int16_t> chunk;
        for (int i = 0; i < 64 && !sound.StreamAtStart(); ++i)
            sound.ReadChunk(8192, chunk, false);
    }
    return 0;
}
