/* Ids of the plug-in module's own resources (not the language modules'):
   the registry scripts that DllRegisterServer runs and the module name.
   Shared by VtPestrolSet.rc and C++ code. */
#ifndef VTPS_PLUGIN_MODULE_IDS_H
#define VTPS_PLUGIN_MODULE_IDS_H

#define IDS_MODULE_NAME                 100
/* Resource type "REGISTRY" */
#define IDR_APPID_SCRIPT                101
#define IDR_CLASS_SCRIPT                102

#endif
