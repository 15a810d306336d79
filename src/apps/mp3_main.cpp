#include "converters/converter_app.h"
#include "converters/mp3.h"

int main(int argc, char** argv) {
    return ondrix::runConverter<ondrix::formMp3>(argc, argv, QStringLiteral("OndrixMP3"));
}
