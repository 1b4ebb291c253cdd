/* Buttons every dialog of every deliverable shares; included by the resource
   scripts too, so plain defines only. */
#pragma once

#define IDC_OK_BUTTON 101
#define IDC_CANCEL_BUTTON 102
#define IDC_HELP_BUTTON 1998
