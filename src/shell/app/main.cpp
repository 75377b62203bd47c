#include "shell/app/Application.h"

int main(int argc, char** argv)
{
    return qor::CQorTolvaneApp::Run(argc, argv);
}
