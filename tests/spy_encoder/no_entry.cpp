// A library that loads but lacks EncodeQDF: the driver must not call anything in it.
extern "C" __attribute__((visibility("default"))) int EncodeQdfMisspelt(const char*, const char*) {
    return 0;
}
