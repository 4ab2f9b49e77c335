/* Vorlan's version, in one place: the version resource, the program's
   application descriptor and the installer read it from here. Plain
   defines only, so that the resource compiler and makensis read it too. */
#define VORLAN_VERSION_MAJOR 1
#define VORLAN_VERSION_MINOR 4
#define VORLAN_VERSION_REVISION 52
#define VORLAN_VERSION_TEXT "1.04.0052"
#define VORLAN_PUBLISHER "Tollever"
