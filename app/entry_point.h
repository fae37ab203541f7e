// The program's entry, for whichever concrete application class it runs.
//
// The concrete application (MyApp) provides its accessor and main on top of these:
//
//     MyApp& TheApp() { return TheAppOf<MyApp>(); }
//     int main() { return EnterApp<MyApp>(); }
//
// Application needs `int Init()` (1 when ready to run) besides App's interface.
#pragma once

#include <cstdlib>

// The one application of the process: made on first use, destroyed at process exit (after main
// has returned), which shuts it down.
template <class Application>
Application& TheAppOf() {
    static Application app;
    return app;
}

// Starts the application and runs its frame loop. A failed start gives a failing exit status.
template <class Application>
int EnterApp() {
    Application& app = TheAppOf<Application>();
    if (app.Init() == 0)
        return EXIT_FAILURE;
    app.Run();
    return EXIT_SUCCESS;
}
