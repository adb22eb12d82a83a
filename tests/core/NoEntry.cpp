// A shared library that is not a module: it lacks DispatchMessage.
extern "C" __attribute__((visibility("default"))) int SomethingElse() { return 42; }
