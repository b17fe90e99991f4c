// Kelvor: the adapter firmware flash utility.
#include "kelvor_core/app.h"

#include "platform/arguments.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    platform::size_console();
    return static_cast<int>(kelvor::runKelvor(platform::program_arguments(argc, argv)));
}
