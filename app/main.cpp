#include "app/entry_point.h"
#include "app/my_app.h"

MyApp& TheApp() {
    return TheAppOf<MyApp>();
}

int main() {
    return EnterApp<MyApp>();
}
