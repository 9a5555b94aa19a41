// A shared library with no VST entry point, for the host's load-failure tests.
extern "C" __attribute__((visibility("default"))) int notAPluginAnswer()
{
    return 42;
}
