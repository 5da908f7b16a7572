// The module MLT loads from its module folder: one filter, morvatelle, and
// its metadata, read from MLT's data folder (morvatelle/filter_morvatelle.yml).
#include <framework/mlt.h>

#include <climits>
#include <cstdio>

extern "C" mlt_filter filter_morvatelle_init(mlt_profile profile, mlt_service_type type, const char* id, char* arg);

namespace {

mlt_properties Metadata(mlt_service_type, const char*, void* file) {
    char path[PATH_MAX];
    std::snprintf(path, sizeof path, "%s/morvatelle/%s", mlt_environment("MLT_DATA"), static_cast<const char*>(file));
    return mlt_properties_parse_yaml(path);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) MLT_REPOSITORY {
    MLT_REGISTER(mlt_service_filter_type, "morvatelle", filter_morvatelle_init);
    MLT_REGISTER_METADATA(mlt_service_filter_type, "morvatelle", Metadata,
                          const_cast<char*>("filter_morvatelle.yml"));
}
