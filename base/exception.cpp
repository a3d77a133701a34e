#include "exception.h"

Exception CurrentException() {
    try {
        throw;
    } catch (const Exception& error) {
        return error;
    } catch (const std::exception& error) {
        return Exception(error.what());
    } catch (...) {
        return Exception("");
    }
}
