#include "converters/converter_app.h"
#include "converters/flac.h"

int main(int argc, char** argv) {
    return ondrix::runConverter<ondrix::formFlac>(argc, argv, QStringLiteral("OndrixFlac"));
}
